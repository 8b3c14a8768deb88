#!/usr/bin/env bash
# check-lean.sh PROGRAM.exe MAX_BYTES: the program is at most MAX_BYTES long,
# and its link map (PROGRAM.map beside it) shows that it carries neither
# winpthreads nor the demangler of libstdc++'s verbose terminate handler.
set -euo pipefail
program=$1 limit=$2 map=${1%.exe}.map status=0
size=$(stat -c %s "$program")
echo "$(basename "$program"): $size bytes (at most $limit)"
[ "$size" -le "$limit" ] || { echo "larger than $limit bytes"; status=1; }
[ -f "$map" ] || { echo "no link map at $map"; exit 1; }
# The archive members the linker took, as the map's first section lists them.
taken=$(sed -n '1,/^Discarded input sections/p' "$map" | grep -E '^[^ ]' || true)
# winpthreads comes as libpthread.a too, its members named libwinpthread_la-*.
for unwanted in 'libwinpthread' '\(cp-demangle\.o\)' '\(vterminate\.o\)'; do
    if grep -E "$unwanted" <<<"$taken" >/dev/null; then
        echo "links $(grep -E -m1 -o "[^/]*$unwanted[^/]*" <<<"$taken")"
        status=1
    fi
done
exit $status
