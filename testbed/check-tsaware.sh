#!/usr/bin/env bash
# check-tsaware.sh PROGRAM.exe
# The program's PE header marks it Terminal Server aware
# (IMAGE_DLLCHARACTERISTICS_TERMINAL_SERVER_AWARE, 0x8000 in DllCharacteristics):
# on a Remote Desktop host Windows then maps none of its registry and INI
# accesses to per-user copies.
set -euo pipefail
program=$1
# The PE header starts where e_lfanew (at 0x3C) says: "PE\0\0", the 20-byte
# file header, then the optional header, which has DllCharacteristics at
# offset 70 in PE32 and PE32+ alike.
pe_offset=$(od -An -tu4 -j60 -N4 "$program" | tr -d ' ')
[ "$(od -An -tx4 -j"$pe_offset" -N4 "$program" | tr -d ' ')" = 00004550 ] ||
    { echo "$program: no PE header"; exit 1; }
characteristics=$(od -An -tu2 -j$((pe_offset + 4 + 20 + 70)) -N2 "$program" | tr -d ' ')
printf '%s: DllCharacteristics 0x%04X\n' "$(basename "$program")" "$characteristics"
if ((characteristics & 0x8000)); then
    exit 0
fi
echo "$(basename "$program") is not Terminal Server aware"
exit 1
