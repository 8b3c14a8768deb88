# Sourced by the scripts that run Windows programs under Wine.
# Pins what Wine takes from the Linux environment, so every run sees the same Windows.

QUILLMERE_WINE_DIR=$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")
# Where prepare.sh puts qemu-i386 for kernels that cannot run 32-bit code.
QUILLMERE_QEMU_I386=$(dirname "$(dirname "$QUILLMERE_WINE_DIR")")/build/tools/qemu-i386

WINESERVER=/usr/lib/wine/wineserver
WINE32_LOADER=/usr/lib/wine/wine

export WINEDEBUG=-all
unset LANGUAGE WINEDLLOVERRIDES

# Wine starts 32-bit programs with its 32-bit loader, an i386 Linux program
# from wine32. A kernel with IA-32 emulation runs it as it is ("native"); one
# without refuses it ("Exec format error") and qemu-i386 runs it instead
# ("qemu"). QUILLMERE_WINE32=qemu asks for qemu where native would do, so
# that route can be tried on any machine. Prints nothing where neither works.
wine32_route() {
    local wanted=${QUILLMERE_WINE32:-}
    if [ "$wanted" != qemu ] && timeout 20 "$WINE32_LOADER" --version >/dev/null 2>&1; then
        echo native
    elif [ "$wanted" != native ] && [ -x "$QUILLMERE_QEMU_I386" ] &&
        timeout 60 "$QUILLMERE_WINE_DIR/with-qemu-i386.sh" "$QUILLMERE_QEMU_I386" \
            "$WINE32_LOADER" --version >/dev/null 2>&1; then
        echo qemu
    fi
}

# Sets WINE, the command line that runs a Windows program, for the route
# decided once per run of a script and inherited by what it starts (CTest and
# its tests); --anew decides again. Wine derives the ANSI code page from the
# locale's name: en_US gives 1252. Passed to Wine alone: the machine need not
# have the locale, and the shell would warn that it cannot switch to it.
# Every run is bounded: a Wine that spins (as one does under a qemu that
# cannot place its address space) must not hang its caller.
wine_choose_route() {
    if [ "${1:-}" = --anew ] || [ -z "${QUILLMERE_WINE32_ROUTE+set}" ]; then
        QUILLMERE_WINE32_ROUTE=$(wine32_route)
        export QUILLMERE_WINE32_ROUTE
    fi
    WINE=(timeout -k 10 "${QUILLMERE_WINE_TIMEOUT:-600}")
    if [ "$QUILLMERE_WINE32_ROUTE" = qemu ]; then
        WINE+=("$QUILLMERE_WINE_DIR/with-qemu-i386.sh" "$QUILLMERE_QEMU_I386")
    fi
    WINE+=(env LC_ALL=en_US.UTF-8 LANG=en_US.UTF-8 /usr/lib/wine/wine64)
}
wine_choose_route

# A prefix made while 32-bit programs could not run has an empty syswow64
# and never runs one. Such a prefix is made anew once they can.
wine_prefix_lacks_wow64() {
    [ -z "$(ls -A "$1/drive_c/windows/syswow64" 2>/dev/null)" ] && [ -n "$QUILLMERE_WINE32_ROUTE" ]
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
            WINEPREFIX=$prefix timeout 300 "$WINESERVER" -w
            touch "$prefix/.quillmere-ready"
        fi
    ) 9>"$prefix.lock"
}

# Keeps one server of WINEPREFIX up until "wineserver -k". One that is up
# already (left by CTest's test discovery, or by a reg call just before) is
# not persistent: it quits a few seconds after its last client, under the
# feet of whatever starts then, and "wineserver -p" refuses to start beside
# it. So it is waited out first. The server and the services it starts
# outlive the caller; left holding CTest's output pipe, they would keep CTest
# waiting for its end.
wine_server_persist() {
    timeout 60 "$WINESERVER" -w
    "$WINESERVER" -p </dev/null >/dev/null 2>&1
}
