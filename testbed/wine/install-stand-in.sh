#!/usr/bin/env bash
# install-stand-in.sh PREFIX MAPI32.DLL
# Puts the test bed's MAPI32 into the prefix's system directory. Only the
# programs named here take it; the rest of the prefix keeps Wine's own MAPI32.
set -euo pipefail
source "$(dirname "$(readlink -f "$0")")/wine-env.sh"
prefix=$1 dll=$2
export WINEPREFIX=$prefix
cp -f "$dll" "$prefix/drive_c/windows/system32/mapi32.dll"
for program in Quillmere.exe mapi_binding_tests.exe mapi_binding_probe.exe mapi32_stand_in_tests.exe; do
    "${WINE[@]}" reg add "HKCU\\Software\\Wine\\AppDefaults\\$program\\DllOverrides" \
        /v mapi32 /t REG_SZ /d native /f >/dev/null
done
