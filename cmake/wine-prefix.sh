#!/bin/bash
# wine-prefix.sh start|stop|loader : manages the disposable prefix named by
# TALLOWICK_PREFIX (TALLOWICK_WINEARCH: win32, the default, or win64).
# start: under flock, starts the prefix's persistent wineserver and (once)
# wineboot, with stdio on /dev/null so no Wine service inherits a caller's pipe
# (nor the lock: the persistent server must not hold it).
# With TALLOWICK_KEEPER naming wine-keeper.exe, start also runs that keeper
# (one per prefix) so Wine's desktop and services stay up between programs;
# it ends when the prefix's server stops.
# loader: prints the Wine loader for the prefix's architecture. A 64-bit
# prefix is driven by the 64-bit loader (it starts 32-bit programs through
# WoW64 itself); the plain `wine` command would take the 32-bit loader.
set -e
: "${TALLOWICK_PREFIX:?TALLOWICK_PREFIX must name the Wine prefix}"
export WINEPREFIX="$TALLOWICK_PREFIX" WINEARCH="${TALLOWICK_WINEARCH:-win32}" WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

wine_loader() {
    if [ "$WINEARCH" = win64 ]; then
        for w in /usr/lib/wine/wine64 "$(command -v wine64 || true)"; do
            if [ -n "$w" ] && [ -x "$w" ]; then echo "$w"; return; fi
        done
    fi
    echo wine
}

case "$1" in
start)
    mkdir -p "$WINEPREFIX"
    exec 9>"$WINEPREFIX.lock"
    flock 9
    # Exit code 2 means a server is already running: nothing to do.
    wineserver -p </dev/null >/dev/null 2>&1 9>&- || true
    if [ ! -f "$WINEPREFIX/.tallowick-booted" ]; then
        "$(wine_loader)" wineboot -i </dev/null >/dev/null 2>&1 9>&- || true
        touch "$WINEPREFIX/.tallowick-booted"
    fi
    if [ -n "${TALLOWICK_KEEPER:-}" ] && [ -f "$TALLOWICK_KEEPER" ]; then
        # Detached, with no stdio and without the lock; a second keeper ends
        # at once.
        setsid "$(wine_loader)" "$TALLOWICK_KEEPER" </dev/null >/dev/null 2>&1 9>&- &
    fi
    ;;
stop)
    if [ -d "$WINEPREFIX" ]; then wineserver -k </dev/null >/dev/null 2>&1 || true; fi
    ;;
loader) wine_loader ;;
*) echo "usage: $0 start|stop|loader" >&2; exit 2 ;;
esac
