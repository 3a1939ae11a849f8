#!/bin/bash
# wine-prefix.sh start|stop : manages the disposable prefix named by TALLOWICK_PREFIX.
# start: under flock, starts the prefix's persistent wineserver and (once)
# wineboot, with stdio on /dev/null so no Wine service inherits a caller's pipe
# (nor the lock: the persistent server must not hold it).
set -e
: "${TALLOWICK_PREFIX:?TALLOWICK_PREFIX must name the Wine prefix}"
export WINEPREFIX="$TALLOWICK_PREFIX" WINEARCH=win32 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
case "$1" in
start)
    mkdir -p "$WINEPREFIX"
    exec 9>"$WINEPREFIX.lock"
    flock 9
    # Exit code 2 means a server is already running: nothing to do.
    wineserver -p </dev/null >/dev/null 2>&1 9>&- || true
    if [ ! -f "$WINEPREFIX/.tallowick-booted" ]; then
        wineboot -i </dev/null >/dev/null 2>&1 9>&- || true
        touch "$WINEPREFIX/.tallowick-booted"
    fi
    ;;
stop)
    if [ -d "$WINEPREFIX" ]; then wineserver -k </dev/null >/dev/null 2>&1 || true; fi
    ;;
*) echo "usage: $0 start|stop" >&2; exit 2 ;;
esac
