#!/usr/bin/env bash
# Builds everything, for x64 and x86, and runs every test: the Windows ones
# under Wine, each build against the MAPI32 stand-in of its own bitness.
# Fails when a test fails or when no test ran. Arguments go to both CTest runs.
source "$(dirname "$(readlink -f "$0")")/prepare.sh"
install_missing_packages
wine32=yes
ensure_wine32 || wine32=

build_targets --preset mingw-x64
ctest --preset mingw-x64 "$@"

build_targets --preset mingw-x86
if [ -n "$wine32" ]; then
    ctest --preset mingw-x86 "$@"
else
    # CTest itself would start the x86 test programs to list their tests.
    echo "warning: without a working wine32 only the x86 build's static checks run" >&2
    "$QUILLMERE_ROOT/testbed/check-imports.sh" i686-w64-mingw32-objdump \
        "$QUILLMERE_ROOT/build/mingw-x86/bin/Quillmere.exe"
fi

# The pure parts natively under the sanitizers, the fuzzer, and the linters.
"$QUILLMERE_ROOT/scripts/hardening.sh"
