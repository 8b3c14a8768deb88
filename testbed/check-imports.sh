#!/usr/bin/env bash
# check-imports.sh OBJDUMP PROGRAM.exe
# A statically linked program imports nothing but the DLLs every Windows has.
set -euo pipefail
objdump=$1 program=$2
imports=$("$objdump" -p "$program" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
[ -n "$imports" ] || { echo "no import table found in $program"; exit 1; }
status=0
for dll in $imports; do
    case $dll in
    kernel32.dll | advapi32.dll | msvcrt.dll | api-ms-win-crt-*.dll) ;;
    *) echo "unexpected import: $dll"; status=1 ;;
    esac
done
echo "imports of $(basename "$program"): $(echo $imports)"
exit $status
