#!/usr/bin/env bash
# The build's cross-compiling emulator: wine-exec.sh PREFIX PROGRAM.exe [ARGS...]
set -euo pipefail
prefix=$1; shift
source "$(dirname "$(readlink -f "$0")")/wine-env.sh"
wine_prefix_ensure "$prefix"
export WINEPREFIX=$prefix
exec "${WINE[@]}" "$@"
