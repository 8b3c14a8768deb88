# Sourced by run.sh and test.sh: installs what the build needs, then
# configures and builds the MinGW-w64 preset.
set -euo pipefail

QUILLMERE_ROOT=$(dirname "$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")")
QUILLMERE_BUILD=$QUILLMERE_ROOT/build/mingw-x64
QUILLMERE_PACKAGES=(g++-mingw-w64-x86-64 mingw-w64-tools wine64 cmake ninja-build)

install_missing_packages() {
    local missing=() package
    for package in "${QUILLMERE_PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
            missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing ${missing[*]}" >&2
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    "${sudo[@]}" apt-get update
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y "${missing[@]}"
}

# build_targets [TARGET...]: configures once, then builds the targets (all when none).
build_targets() {
    cd "$QUILLMERE_ROOT"
    [ -f "$QUILLMERE_BUILD/CMakeCache.txt" ] || cmake --preset mingw-x64 >&2
    local targets=()
    [ $# -eq 0 ] || targets=(--target "$@")
    cmake --build --preset mingw-x64 "${targets[@]}" >&2
}
