#!/usr/bin/env bash
# check-imports.sh OBJDUMP PROGRAM.exe [OTHER.exe]
# A statically linked program imports nothing but the DLLs every Windows has;
# given OTHER.exe, exactly the DLLs that one imports.
set -euo pipefail
objdump=$1 program=$2 other=${3:-}
list_imports() {
    "$objdump" -p "$1" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u
}
imports=$(list_imports "$program")
[ -n "$imports" ] || { echo "no import table found in $program"; exit 1; }
status=0
for dll in $imports; do
    case $dll in
    kernel32.dll | advapi32.dll | msvcrt.dll | api-ms-win-crt-*.dll) ;;
    *) echo "unexpected import: $dll"; status=1 ;;
    esac
done
echo "imports of $(basename "$program"): $(echo $imports)"
if [ -n "$other" ]; then
    other_imports=$(list_imports "$other")
    if [ "$other_imports" != "$imports" ]; then
        echo "imports of $(basename "$other") differ: $(echo $other_imports)"
        status=1
    fi
fi
exit $status
