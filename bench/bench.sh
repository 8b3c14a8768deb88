#!/usr/bin/env bash
# bench/bench.sh [RUNS]: times Quillmere.exe under Wine against an empty
# Windows program, and reports the sizes and imports of the built programs.
# Paired: each round runs every case once, in turn, so that a busy machine
# slows all of them alike. Standard output goes to a file, as a script would
# read it: Wine treats /dev/null as a console, which is far slower to print to.
set -euo pipefail
source "$(dirname "$(readlink -f "$0")")/../scripts/prepare.sh"
runs=${1:-21}
install_missing_packages
build_targets Quillmere empty_program mapi32_stand_in

bin=$QUILLMERE_BUILD/bin
prefix=$QUILLMERE_BUILD/bench-prefix
wine_prefix_ensure "$prefix"
export WINEPREFIX=$prefix
"$QUILLMERE_ROOT/testbed/wine/install-stand-in.sh" "$prefix" \
    "$QUILLMERE_BUILD/testbed/mapi32-stand-in/mapi32.dll" >/dev/null
"$WINESERVER" -p </dev/null >/dev/null 2>&1 || true
trap '"$WINESERVER" -k 2>/dev/null || true' EXIT

scratch=$(mktemp -d)
trap '"$WINESERVER" -k 2>/dev/null || true; rm -rf "$scratch"' EXIT

cases=(empty noargs create)
run_case() {
    case $1 in
    empty) "${WINE[@]}" "$bin/empty_program.exe" ;;
    noargs) "${WINE[@]}" "$bin/Quillmere.exe" ;;
    # -a Y makes the profile anew each time: every run does the whole sequence.
    create) "${WINE[@]}" "$bin/Quillmere.exe" -s mail.example.com -m "Doe, Jane" -p Bench -a Y -c 1 ;;
    esac
}

for c in "${cases[@]}"; do run_case "$c" >"$scratch/out" 2>&1 || true; done # warm the caches
for ((i = 0; i < runs; i++)); do
    for c in "${cases[@]}"; do
        start=$(date +%s%N)
        run_case "$c" >"$scratch/out" 2>&1 || true
        echo $(( ($(date +%s%N) - start) / 1000 )) >>"$scratch/$c"
    done
done

median() { sort -n "$1" | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
floor=$(median "$scratch/empty")
report() { awk -v label="$1" -v m="$2" -v floor="$floor" 'BEGIN { printf "  %-30s median %7.1f ms   %5.2f x the empty program\n", label, m / 1000, m / floor }'; }
echo "Under Wine, $runs paired runs each, $(date -u +%Y-%m-%d), $(nproc) cores:"
report "empty Windows program" "$floor"
report "Quillmere.exe, no arguments" "$(median "$scratch/noargs")"
report "Quillmere.exe, full creation" "$(median "$scratch/create")"
echo "Built programs:"
report_program() {
    local exe=$1 label=$2 objdump=$3
    [ -f "$exe" ] || return 0
    local size imports
    size=$(stat -c %s "$exe")
    imports=$("$objdump" -p "$exe" | awk '/DLL Name/ { printf "%s ", $3 }')
    awk -v name="$label" -v size="$size" -v imports="$imports" \
        'BEGIN { printf "  %-30s %7d bytes (%.1f KiB)   imports: %s\n", name, size, size / 1024, imports }'
}
build_targets --preset mingw-x86 Quillmere
report_program "$bin/Quillmere.exe" "Quillmere.exe (x64)" x86_64-w64-mingw32-objdump
report_program "$QUILLMERE_ROOT/build/mingw-x86/bin/Quillmere.exe" "Quillmere.exe (x86)" i686-w64-mingw32-objdump
