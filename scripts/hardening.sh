#!/usr/bin/env bash
# The pure parts built natively with AddressSanitizer and UndefinedBehaviorSanitizer
# and their tests run, the fuzzer for a bounded time, then clang-tidy and
# cppcheck over the program's sources. Fails on any finding.
source "$(dirname "$(readlink -f "$0")")/hardening-prepare.sh"
build_native
ctest --preset native-sanitize
"$QUILLMERE_ROOT/scripts/fuzz.sh" "${QUILLMERE_FUZZ_SECONDS:-60}"

cd "$QUILLMERE_ROOT"
program_sources() { git ls-files "$@" | grep -v -e /tests/ -e "Test\.cpp$"; }

echo "clang-tidy: the pure parts, natively" >&2
clang-tidy -p build/native-sanitize --quiet \
    $(program_sources 'cmdline/*.cpp' 'fuzz/*.cpp' registry/JoinArguments.cpp) 2>&1 | { grep -v "warnings generated" || true; } >&2

# The Windows sources, as MinGW-w64 sees them: its C++ and Windows headers,
# clang's own intrinsics (GCC's do not parse under clang).
echo "clang-tidy: the Windows sources, for x86_64-w64-mingw32" >&2
[ -f build/mingw-x64/compile_commands.json ] || build_targets --preset mingw-x64 Quillmere
mingw_includes=()
while read -r dir; do
    mingw_includes+=("--extra-arg=-isystem$dir")
done < <(echo | x86_64-w64-mingw32-g++-posix -xc++ -E -v - 2>&1 |
    sed -n '/#include <...> search starts here/,/End of search/p' | sed -n 's/^ \(\/.*\)/\1/p' |
    grep -v -e '-posix/include$' -e include-fixed)
clang-tidy -p build/mingw-x64 --quiet --extra-arg=--target=x86_64-w64-mingw32 --extra-arg=-nostdinc++ \
    "${mingw_includes[@]}" \
    $(program_sources 'app/*.cpp' 'registry/*.cpp' 'profile/*.cpp' | grep -v JoinArguments) 2>&1 |
    { grep -v "warnings generated" || true; } >&2

echo "cppcheck" >&2
cppcheck --enable=warning,performance,portability --error-exitcode=1 --inline-suppr --std=c++17 --quiet \
    --library=windows --platform=win64 -I . "-DSTDAPI_(type)=type" --suppress=missingIncludeSystem \
    $(program_sources 'app/*.cpp' 'cmdline/*.cpp' 'fuzz/*.cpp' 'registry/*.cpp' 'profile/*.cpp')
echo "hardening: clean" >&2
