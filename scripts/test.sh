#!/usr/bin/env bash
# Builds everything and runs every test, the Windows ones under Wine.
# Fails when a test fails or when no test ran.
source "$(dirname "$(readlink -f "$0")")/prepare.sh"
install_missing_packages
build_targets
ctest --preset mingw-x64 "$@"
