# Sourced by the scripts that run Windows programs under Wine.
# Pins what Wine takes from the Linux environment, so every run sees the same Windows.

WINESERVER=/usr/lib/wine/wineserver
# Wine derives the ANSI code page from the locale's name: en_US gives 1252.
# Passed to Wine alone: the machine need not have the locale, and the shell
# would warn that it cannot switch to it.
WINE=(env LC_ALL=en_US.UTF-8 LANG=en_US.UTF-8 /usr/lib/wine/wine64)

export WINEDEBUG=-all
unset LANGUAGE WINEDLLOVERRIDES

# Wine starts 32-bit programs with its 32-bit loader, from wine32. Installed
# is not enough: a kernel built without IA-32 emulation refuses to execute it
# ("Exec format error"), and then no prefix ever gets a syswow64.
wine32_runs() {
    /usr/lib/wine/wine --version >/dev/null 2>&1
}

# A prefix made before wine32 could run cannot run 32-bit programs: its
# syswow64 is empty. Such a prefix is made anew once wine32 runs.
wine_prefix_lacks_wow64() {
    [ -z "$(ls -A "$1/drive_c/windows/syswow64" 2>/dev/null)" ] && wine32_runs
}

# Creates the prefix once. Concurrent callers wait on the lock; a prefix left
# half-made by an interrupted run has no ready mark and is made anew.
wine_prefix_ensure() {
    local prefix=$1
    wine_prefix_lacks_wow64 "$prefix" && rm -f "$prefix/.quillmere-ready"
    [ -f "$prefix/.quillmere-ready" ] && return 0
    mkdir -p "$(dirname "$prefix")"
    (
        flock 9
        if [ ! -f "$prefix/.quillmere-ready" ]; then
            rm -rf "$prefix"
            # Without these overrides wineboot offers to download Mono and Gecko.
            WINEPREFIX=$prefix WINEDLLOVERRIDES="mscoree,mshtml=" "${WINE[@]}" wineboot --init >/dev/null 2>&1
            WINEPREFIX=$prefix "$WINESERVER" -w
            touch "$prefix/.quillmere-ready"
        fi
    ) 9>"$prefix.lock"
}
