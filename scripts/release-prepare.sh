# Sourced by release.sh and the release test: the signing and packing tools,
# the version, and the build of one release program.
source "$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")/prepare.sh"
QUILLMERE_PACKAGES+=(osslsigncode openssl zip unzip binutils python3)
install_missing_packages
osslsigncode=${QUILLMERE_OSSLSIGNCODE:-osslsigncode}

# The version as the version resource has it; CMake reads the same line.
release_version() {
    sed -n 's/^#define QUILLMERE_VERSION_TEXT "\([0-9.]*\)"$/\1/p' "$QUILLMERE_ROOT/app/ProductInfo.h"
}

# build_release_program SOURCE_DIR BUILD_DIR ARCH: Quillmere.exe alone, in a
# build folder made anew, into BUILD_DIR/bin.
build_release_program() {
    local source=$1 build=$2 arch=$3
    rm -rf "$build"
    (cd "$source" && cmake --preset "mingw-$arch" -B "$build" -DQUILLMERE_BUILD_TESTS=OFF \
        -DCMAKE_EXPORT_COMPILE_COMMANDS=OFF >&2)
    cmake --build "$build" --target Quillmere >&2
}
