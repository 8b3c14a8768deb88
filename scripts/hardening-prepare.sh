# Sourced by hardening.sh and fuzz.sh: the native clang tools, and the native
# build of the program's pure parts with the sanitizers.
source "$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")/prepare.sh"
QUILLMERE_PACKAGES+=(clang clang-tidy cppcheck libclang-rt-14-dev)
install_missing_packages

build_native() {
    build_targets --preset native-sanitize "$@"
}
