#!/usr/bin/env bash
# server-persists.sh PREFIX: the wineserver of PREFIX is up and persistent.
# One that is not quits a few seconds after its last client, so a test that
# starts then races a server on its way out.
set -euo pipefail
prefix=$1
for pid in $(pgrep -x wineserver64 || true); do
    # A server may be gone between pgrep and here.
    { tr '\0' '\n' <"/proc/$pid/environ"; } 2>/dev/null | grep -qxF "WINEPREFIX=$prefix" || continue
    # A server a client started runs as "wineserver64 -p0"; "-p" makes it stay.
    if tr '\0' '\n' <"/proc/$pid/cmdline" | grep -qx -- -p; then
        exit 0
    fi
    echo "the wineserver of $prefix ($pid) is not persistent: $(tr '\0' ' ' <"/proc/$pid/cmdline")"
    exit 1
done
echo "no wineserver of $prefix is up"
exit 1
