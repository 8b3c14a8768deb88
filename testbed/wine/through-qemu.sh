#!/usr/bin/env bash
# through-qemu.sh PREFIX PROGRAM.exe [ARGS...]
# Runs a test program of the x86 build with Wine's 32-bit half run by
# qemu-i386, even where the kernel could run it itself: the route that
# kernels without IA-32 emulation need stays proven on machines with it.
# Exits 77, which CTest counts as skipped, where qemu-i386 was not fetched.
set -euo pipefail
here=$(dirname "$(readlink -f "$0")")
unset QUILLMERE_WINE32_ROUTE
export QUILLMERE_WINE32=qemu
source "$here/wine-env.sh"
if [ "$QUILLMERE_WINE32_ROUTE" != qemu ]; then
    echo "through-qemu.sh: no qemu-i386 at $QUILLMERE_QEMU_I386 (scripts/test.sh fetches it)" >&2
    exit 77
fi
exec "$here/wine-exec.sh" "$@"
