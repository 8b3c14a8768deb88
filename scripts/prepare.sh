# Sourced by run.sh, test.sh and the bench: brings in the Wine environment,
# installs what the build needs, then configures and builds a MinGW-w64 preset.
set -euo pipefail

QUILLMERE_ROOT=$(dirname "$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")")
QUILLMERE_BUILD=$QUILLMERE_ROOT/build/mingw-x64
source "$QUILLMERE_ROOT/testbed/wine/wine-env.sh"
QUILLMERE_PACKAGES=(g++-mingw-w64-x86-64 g++-mingw-w64-i686 mingw-w64-tools wine64 cmake ninja-build)

is_installed() {
    dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"
}

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# apt-get install PACKAGE... after one apt-get update per script run. An index
# that fails to download (a mirror in the middle of a sync) is not fatal by
# itself: the install that needs it fails, and says why.
apt_install() {
    echo "Installing $*" >&2
    if [ -z "${QUILLMERE_APT_UPDATED:-}" ]; then
        as_root apt-get update || echo "warning: apt-get update reported errors; going on" >&2
        QUILLMERE_APT_UPDATED=1
    fi
    DEBIAN_FRONTEND=noninteractive as_root apt-get install -y "$@"
}

install_missing_packages() {
    local missing=() package
    for package in "${QUILLMERE_PACKAGES[@]}"; do
        is_installed "$package" || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] || apt_install "${missing[@]}"
}

# Wine runs 32-bit programs only with wine32, an i386 package. Answers whether
# 32-bit programs run; a failure to install wine32 is reported, not fatal, so
# that a mirror's trouble with i386 does not stop the x64 build and tests.
ensure_wine32() {
    if ! is_installed wine32:i386; then
        if ! dpkg --print-foreign-architectures | grep -qx i386; then
            as_root dpkg --add-architecture i386
            QUILLMERE_APT_UPDATED=
        fi
        if ! apt_install wine32:i386; then
            echo "warning: wine32 could not be installed; 32-bit programs cannot run under Wine" >&2
            return 1
        fi
    fi
    wine32_runs && return 0
    echo "warning: wine32 is installed, but this machine's kernel cannot execute 32-bit programs" >&2
    return 1
}

# build_targets [--preset NAME] [TARGET...]: configures once, then builds the
# targets (all when none) of the preset (mingw-x64 when none).
build_targets() {
    local preset=mingw-x64
    if [ "${1:-}" = --preset ]; then preset=$2; shift 2; fi
    cd "$QUILLMERE_ROOT"
    [ -f "$QUILLMERE_ROOT/build/$preset/CMakeCache.txt" ] || cmake --preset "$preset" >&2
    local targets=()
    [ $# -eq 0 ] || targets=(--target "$@")
    cmake --build --preset "$preset" "${targets[@]}" >&2
}
