#!/usr/bin/env bash
# install-stand-in.sh PREFIX MAPI32.DLL [PROGRAM.exe...]
# Puts the test bed's MAPI32 into the prefix's system directory of its
# bitness: system32 for x64, syswow64 for x86. Only the programs named here,
# and those given after the DLL, take it; the rest of the prefix keeps Wine's
# own MAPI32.
set -euo pipefail
source "$(dirname "$(readlink -f "$0")")/wine-env.sh"
prefix=$1 dll=$2
shift 2
export WINEPREFIX=$prefix

# The PE header's machine field: 0x8664 for x64, 0x014c for x86.
pe_offset=$(od -An -tu4 -j60 -N4 "$dll" | tr -d ' ')
machine=$(od -An -tx2 -j$((pe_offset + 4)) -N2 "$dll" | tr -d ' ')
case $machine in
8664) system_dir=system32 ;;
014c) system_dir=syswow64 ;;
*) echo "install-stand-in.sh: $dll is no x64 or x86 DLL (machine $machine)" >&2; exit 1 ;;
esac
cp -f "$dll" "$prefix/drive_c/windows/$system_dir/mapi32.dll"

# One key serves both bitnesses: HKCU\Software is not split by WOW64.
for program in Quillmere.exe mapi_binding_tests.exe mapi_binding_probe.exe mapi32_stand_in_tests.exe "$@"; do
    "${WINE[@]}" reg add "HKCU\\Software\\Wine\\AppDefaults\\$program\\DllOverrides" \
        /v mapi32 /t REG_SZ /d native /f >/dev/null
done
