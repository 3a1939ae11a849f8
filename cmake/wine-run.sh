#!/bin/bash
# Runs a Windows program under Wine in the build tree's own disposable prefix.
# The prefix's wineserver and wineboot are started once (under flock) with
# their stdio on /dev/null, so that Wine's background services never hold a
# reader's pipe open (CTest and $(...) wait for end of output).
set -e
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
: "${TALLOWICK_PREFIX:?TALLOWICK_PREFIX must name the Wine prefix}"
export WINEPREFIX="$TALLOWICK_PREFIX"
export WINEARCH="${TALLOWICK_WINEARCH:-win32}"
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:+$WINEDLLOVERRIDES;}mscoree,mshtml="
"$here/wine-prefix.sh" start
exec "$("$here/wine-prefix.sh" loader)" "$@"
