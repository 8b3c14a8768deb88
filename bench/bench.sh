#!/usr/bin/env bash
# bench/bench.sh [RUNS] [x64|x86]: times Quillmere.exe of that build under
# Wine against two floors, an empty Windows program and one that loads the
# same DLLs as Quillmere.exe, and reports the sizes and imports of the built
# programs. Paired: each round runs every case once, starting with a
# different case each round, and a ratio is the median of the rounds' own
# ratios, so that a machine busy with other work slows both sides alike.
# Standard output goes to a file, as a script would read it: Wine treats
# /dev/null as a console, which is far slower to print to.
set -euo pipefail
source "$(dirname "$(readlink -f "$0")")/../scripts/prepare.sh"
runs=${1:-25}
arch=${2:-x64}
objdump_for() {
    case $1 in
    x64) echo x86_64-w64-mingw32-objdump ;;
    x86) echo i686-w64-mingw32-objdump ;;
    *) echo "usage: bench/bench.sh [RUNS] [x64|x86]" >&2; return 2 ;;
    esac
}
objdump=$(objdump_for "$arch")
build=$QUILLMERE_ROOT/build/mingw-$arch
install_missing_packages
build_targets --preset "mingw-$arch" Quillmere empty_program same_imports_program mapi32_stand_in

bin=$build/bin
# A floor stands for Quillmere's imports only while it has exactly the same.
floor_imports=$("$QUILLMERE_ROOT/testbed/check-imports.sh" "$objdump" "$bin/same_imports_program.exe" \
    "$bin/Quillmere.exe") || { echo "$floor_imports" >&2; exit 1; }

prefix=$build/bench-prefix
wine_prefix_ensure "$prefix"
export WINEPREFIX=$prefix
# The floors get the stand-in too: they never load it, but Wine's loader then
# looks up each of their DLLs under a program key of their own, as it does
# for Quillmere.exe's.
"$QUILLMERE_ROOT/testbed/wine/install-stand-in.sh" "$prefix" "$build/testbed/mapi32-stand-in/mapi32.dll" \
    empty_program.exe same_imports_program.exe >/dev/null
wine_server_persist
scratch=$(mktemp -d)
trap '"$WINESERVER" -k 2>/dev/null || true; rm -rf "$scratch"' EXIT

cases=(empty imports noargs create address)
run_case() {
    case $1 in
    empty) "${WINE[@]}" "$bin/empty_program.exe" ;;
    imports) "${WINE[@]}" "$bin/same_imports_program.exe" ;;
    noargs) "${WINE[@]}" "$bin/Quillmere.exe" ;;
    # -a Y makes the profile anew each time: every run does the whole sequence.
    create) "${WINE[@]}" "$bin/Quillmere.exe" -s mail.example.com -m "Doe, Jane" -p Bench -a Y -c 1 ;;
    # The same with -e: the profile sections instead of ConfigureMsgService.
    address) "${WINE[@]}" "$bin/Quillmere.exe" -e jane.doe@example.com -p BenchAddress -a Y -c 1 ;;
    esac
}

# Warms the caches. A floor that fails has not run at all: no figure then.
for c in "${cases[@]}"; do
    run_case "$c" >"$scratch/out" 2>&1 && continue
    case $c in empty | imports) cat "$scratch/out" >&2; echo "bench: $arch programs do not run under Wine here" >&2; exit 1 ;; esac
done
for ((i = 0; i < runs; i++)); do
    for ((k = 0; k < ${#cases[@]}; k++)); do
        c=${cases[(i + k) % ${#cases[@]}]}
        start=$(date +%s%N)
        run_case "$c" >"$scratch/out" 2>&1 || true
        echo "$i $c $(( ($(date +%s%N) - start) / 1000 ))" >>"$scratch/times"
    done
done

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
# The case's times, or with a floor its ratios to that floor in the same round.
per_round() {
    awk -v c="$1" -v floor="${2:-}" '$2 == c { t[$1] = $3 } $2 == floor { f[$1] = $3 }
        END { for (r in t) print floor == "" ? t[r] : t[r] / f[r] }' "$scratch/times"
}
report() {
    printf "  %-34s median %7.1f ms   %5.2f x empty   %5.2f x same imports\n" "$1" \
        "$(per_round "$2" | median | awk '{ print $1 / 1000 }')" \
        "$(per_round "$2" empty | median)" "$(per_round "$2" imports | median)"
}
echo "Under Wine, $arch, $runs paired runs each, $(date -u +%Y-%m-%d), $(nproc) cores"
echo "(ratios: the median of each round's ratio to the floor run in that round):"
report "empty Windows program" empty
report "same imports as Quillmere.exe" imports
report "Quillmere.exe, no arguments" noargs
report "Quillmere.exe, full creation" create
report "Quillmere.exe, full creation with -e" address

echo "Built programs:"
report_program() {
    local exe=$1 label=$2 objdump=$3
    [ -f "$exe" ] || return 0
    local size imports
    size=$(stat -c %s "$exe")
    imports=$("$objdump" -p "$exe" | awk '/DLL Name/ { printf "%s ", $3 }')
    awk -v name="$label" -v size="$size" -v imports="$imports" \
        'BEGIN { printf "  %-34s %7d bytes (%.1f KiB)   imports: %s\n", name, size, size / 1024, imports }'
}
# Both bitnesses' sizes, whichever is timed.
for a in x64 x86; do
    build_targets --preset "mingw-$a" Quillmere
    report_program "$QUILLMERE_ROOT/build/mingw-$a/bin/Quillmere.exe" "Quillmere.exe ($a)" "$(objdump_for $a)"
done
report_program "$bin/same_imports_program.exe" "same_imports_program.exe ($arch)" "$objdump"
