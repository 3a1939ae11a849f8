#!/bin/bash
# wine-prefix.sh start|stop|loader|run PROGRAM [ARG...]
# The one place where Wine's environment is set (WINEPREFIX, WINEARCH,
# WINEDEBUG, WINEDLLOVERRIDES) and the loader chosen, for the disposable
# prefix named by TALLOWICK_PREFIX (TALLOWICK_WINEARCH: win32, the default,
# or win64). The build tree's wine-run, the test drivers and the front door
# all come through here.
# start: under flock, starts the prefix's persistent wineserver and (once)
# wineboot, with stdio on /dev/null so no Wine service inherits a caller's pipe
# (nor the lock: the persistent server must not hold it).
# With TALLOWICK_KEEPER naming wine-keeper.exe, a start that starts the
# server also runs that keeper, so that Wine's desktop and services stay up
# between programs (no program ever has to start them again, and none holds
# a reader's pipe open or waits for them); it ends when the server stops.
# stop: stops the prefix's server (and with it the keeper).
# loader: prints the Wine loader for the prefix's architecture. A 64-bit
# prefix is driven by the 64-bit loader (it starts 32-bit programs through
# WoW64 itself); the plain `wine` command would take the 32-bit loader.
# run: start, then runs PROGRAM under Wine in the prefix. The caller's
# WINEDEBUG (default -all) and WINEDLLOVERRIDES (ahead of ours) reach the
# program; the prefix's server and services never see them.
set -e
: "${TALLOWICK_PREFIX:?TALLOWICK_PREFIX must name the Wine prefix}"
caller_debug="${WINEDEBUG:--all}" caller_overrides="${WINEDLLOVERRIDES:-}"
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

# In a subshell: the lock's descriptor must not reach a program run after it.
start_prefix() (
    # Nothing the caller holds open beyond stdio reaches the server and the
    # services started here: a pipe of a process substitution (2> >(...))
    # would be held open for as long as the server lives.
    for fd in /proc/$BASHPID/fd/*; do
        fd="${fd##*/}"
        [ "$fd" -le 2 ] 2>/dev/null || [ "$fd" = 255 ] || eval "exec $fd>&-" 2>/dev/null || true
    done
    mkdir -p "$WINEPREFIX"
    exec 9>"$WINEPREFIX.lock"
    flock 9
    # 0: a new server was started; 2: one is already running.
    server=0
    wineserver -p </dev/null >/dev/null 2>&1 9>&- || server=$?
    if [ ! -f "$WINEPREFIX/.tallowick-booted" ]; then
        "$(wine_loader)" wineboot -i </dev/null >/dev/null 2>&1 9>&- || true
        touch "$WINEPREFIX/.tallowick-booted"
        server=0
    elif [ "$server" != 2 ]; then
        # A new server of a prefix made before: start Wine's services here,
        # with no stdio, or the first program would start them and they
        # would hold its output open.
        "$(wine_loader)" wineboot </dev/null >/dev/null 2>&1 9>&- || true
    fi
    if [ "$server" != 2 ] && [ -n "${TALLOWICK_KEEPER:-}" ] && [ -f "$TALLOWICK_KEEPER" ]; then
        # Detached, with no stdio and without the lock; it ends with the
        # server (and a second keeper would end at once).
        setsid "$(wine_loader)" "$TALLOWICK_KEEPER" </dev/null >/dev/null 2>&1 9>&- &
    fi
)

case "$1" in
start) start_prefix ;;
stop)
    if [ -d "$WINEPREFIX" ]; then wineserver -k </dev/null >/dev/null 2>&1 || true; fi
    ;;
loader) wine_loader ;;
run)
    shift
    start_prefix
    export WINEDEBUG="$caller_debug" WINEDLLOVERRIDES="${caller_overrides:+$caller_overrides;}mscoree,mshtml="
    exec "$(wine_loader)" "$@"
    ;;
*) echo "usage: $0 start|stop|loader|run PROGRAM [ARG...]" >&2; exit 2 ;;
esac
