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

# Wine runs 32-bit programs only with wine32, an i386 package, and only on a
# route that executes its i386 loader (wine-env.sh). Answers whether 32-bit
# programs run; a failure is reported, not fatal, so that the caller decides.
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
    wine_choose_route --anew
    if [ -z "$QUILLMERE_WINE32_ROUTE" ] && [ "${QUILLMERE_WINE32:-}" != native ]; then
        echo "32-bit programs do not run here as they are; fetching qemu-i386 to run them" >&2
        fetch_qemu_i386 && wine_choose_route --anew
    fi
    if [ -z "$QUILLMERE_WINE32_ROUTE" ]; then
        echo "warning: wine32 is installed, but no route here executes 32-bit programs" >&2
        return 1
    fi
    echo "32-bit programs run under Wine: $QUILLMERE_WINE32_ROUTE" >&2
}

# Bookworm's own qemu-user (7.2) spins in Wine's address-space reservation;
# backports' (8 and later) does not. Only its qemu-i386, a static program, is
# taken out of the package, through an apt configuration of its own: nothing
# is installed, and the machine's apt sources stay as they are.
fetch_qemu_i386() {
    local work=$QUILLMERE_ROOT/build/tools/apt suite mirror
    suite=$(. /etc/os-release && echo "$VERSION_CODENAME")-backports
    # The Debian mirror this machine already uses.
    mirror=$( { grep -hs '^URIs:' /etc/apt/sources.list.d/*.sources | awk '{ print $2 }'
                grep -hsE '^deb ' /etc/apt/sources.list | awk '{ for (i = 2; i <= NF; i++) if ($i ~ /:\/\//) { print $i; break } }'
              } | grep -i debian | grep -v security | head -n 1 || true)
    [ -n "$mirror" ] || { echo "no Debian mirror named in /etc/apt" >&2; return 1; }
    rm -rf "$work"
    mkdir -p "$work/lists/partial" "$work/cache/archives/partial"
    echo "deb [arch=$(dpkg --print-architecture) signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $mirror $suite main" >"$work/sources.list"
    local apt=(-o Dir::Etc::SourceList="$work/sources.list" -o Dir::Etc::SourceParts=/dev/null
               -o Dir::State::Lists="$work/lists" -o Dir::Cache="$work/cache" -o APT::Sandbox::User=root)
    local fetched=
    if timeout 600 apt-get "${apt[@]}" -q update >&2 &&
        (cd "$work" && timeout 600 apt-get "${apt[@]}" -q download "qemu-user/$suite" >&2) &&
        dpkg-deb --fsys-tarfile "$work"/qemu-user_*.deb | tar -xO ./usr/bin/qemu-i386 >"$work/qemu-i386" &&
        chmod 755 "$work/qemu-i386"; then
        if "$work/qemu-i386" --version | grep -Eq 'version ([89]|[1-9][0-9])\.'; then
            mv "$work/qemu-i386" "$QUILLMERE_QEMU_I386" && fetched=yes
        else
            echo "qemu-i386 of $suite is older than 8: $("$work/qemu-i386" --version | head -n 1)" >&2
        fi
    fi
    rm -rf "$work"
    [ -n "$fetched" ]
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
