#!/usr/bin/env bash
# scripts/run.sh [Quillmere arguments]: builds what is missing and runs
# Quillmere.exe under Wine, in a development prefix of its own so that a run
# never disturbs the tests' registry. Wine has no mail provider, so the
# prefix gets the test bed's MAPI32 stand-in; after the run its dump tool
# shows the profiles it holds. Exits with the program's exit status.
source "$(dirname "$(readlink -f "$0")")/prepare.sh"
install_missing_packages
build_targets Quillmere mapi32_stand_in mapi32_stand_in_dump

wine_exec=$QUILLMERE_ROOT/testbed/wine/wine-exec.sh
prefix=$QUILLMERE_BUILD/dev-prefix
stand_in=$QUILLMERE_BUILD/testbed/mapi32-stand-in
"$wine_exec" "$prefix" cmd /c exit >/dev/null 2>&1 # makes the prefix on first use
"$QUILLMERE_ROOT/testbed/wine/install-stand-in.sh" "$prefix" "$stand_in/mapi32.dll" >/dev/null

status=0
"$wine_exec" "$prefix" "$QUILLMERE_BUILD/bin/Quillmere.exe" "$@" || status=$?

echo "--- exit status $status; profiles held by the MAPI32 stand-in:" >&2
"$wine_exec" "$prefix" "$QUILLMERE_BUILD/bin/mapi32_stand_in_dump.exe" >&2
exit $status
