#!/usr/bin/env bash
# scripts/run.sh [Quillmere arguments]: builds what is missing and runs
# Quillmere.exe under Wine in a development prefix of its own, so a run never
# disturbs the tests' registry. Exits with the program's exit status.
source "$(dirname "$(readlink -f "$0")")/prepare.sh"
install_missing_packages
build_targets Quillmere
exec "$QUILLMERE_ROOT/testbed/wine/wine-exec.sh" "$QUILLMERE_BUILD/dev-prefix" \
    "$QUILLMERE_BUILD/bin/Quillmere.exe" "$@"
