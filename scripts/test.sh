#!/usr/bin/env bash
# Builds everything, for x64 and x86, and runs every test: the Windows ones
# under Wine, each build against the MAPI32 stand-in of its own bitness.
# Fails when a test fails or when no test ran, and when the x86 tests cannot
# run at all, unless QUILLMERE_SKIP_X86=1 says that a person chose to go
# without them. Arguments go to both CTest runs.
source "$(dirname "$(readlink -f "$0")")/prepare.sh"
install_missing_packages
if ! ensure_wine32 && [ "${QUILLMERE_SKIP_X86:-}" != 1 ]; then
    echo "error: the x86 tests cannot run here (see above); QUILLMERE_SKIP_X86=1 goes on without them" >&2
    exit 1
fi

build_targets --preset mingw-x64
ctest --preset mingw-x64 "$@"

build_targets --preset mingw-x86
if [ -n "$QUILLMERE_WINE32_ROUTE" ]; then
    # Where the kernel runs 32-bit code itself, the qemu route is still tried
    # (testbed.through_qemu.*), for the machines that will need it.
    [ -x "$QUILLMERE_QEMU_I386" ] || fetch_qemu_i386 ||
        echo "warning: qemu-i386 could not be fetched; its tests are skipped" >&2
    ctest --preset mingw-x86 "$@"
else
    # CTest itself would start the x86 test programs to list their tests.
    echo "warning: QUILLMERE_SKIP_X86=1: only the x86 build's static checks run" >&2
    "$QUILLMERE_ROOT/testbed/check-imports.sh" i686-w64-mingw32-objdump \
        "$QUILLMERE_ROOT/build/mingw-x86/bin/Quillmere.exe"
    "$QUILLMERE_ROOT/testbed/check-tsaware.sh" "$QUILLMERE_ROOT/build/mingw-x86/bin/Quillmere.exe"
fi

# The pure parts natively under the sanitizers, the fuzzer, and the linters.
"$QUILLMERE_ROOT/scripts/hardening.sh"

# The release bundle: reproducible, signed, and its signed program tested.
"$QUILLMERE_ROOT/release/test.sh"
