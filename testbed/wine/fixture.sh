#!/usr/bin/env bash
# The CTest fixture around every test that runs under Wine.
#   fixture.sh up PREFIX STAND_IN_DLL   make the prefix, install the stand-in MAPI32, keep a wineserver alive
#   fixture.sh down PREFIX              stop this prefix's wineserver, and no other
set -euo pipefail
here=$(dirname "$(readlink -f "$0")")
source "$here/wine-env.sh"
action=$1 prefix=$2
export WINEPREFIX=$prefix

case $action in
up)
    wine_prefix_ensure "$prefix"
    wine_server_persist
    if [ -n "${3:-}" ]; then
        "$here/install-stand-in.sh" "$prefix" "$3" </dev/null >"$prefix.log" 2>&1 ||
            { cat "$prefix.log" >&2; exit 1; }
    fi
    ;;
down)
    "$WINESERVER" -k 2>/dev/null || true
    ;;
esac
