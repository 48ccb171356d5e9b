#!/usr/bin/env bash
# The private, headless Wine prefix of one build tree.
#   wine-env.sh BUILD_DIR prefix   create the prefix once (null graphics driver)
#   wine-env.sh BUILD_DIR start    start its server and services, kept running
#   wine-env.sh BUILD_DIR stop     stop its server
#   wine-env.sh BUILD_DIR run CMD  run a command with the prefix's environment
set -euo pipefail

build=$(cd "$1" && pwd)
action=$2
shift 2

export WINEPREFIX="$build/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINEARCH=win64
unset DISPLAY WAYLAND_DISPLAY

case "$action" in
prefix)
    if [ ! -f "$WINEPREFIX/.zt-ready" ]; then
        echo "wine-env: creating the headless Wine prefix $WINEPREFIX (once)"
        rm -rf "$WINEPREFIX"
        wineboot -i >/dev/null 2>&1 || true
        wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
        wineserver -w
        if [ ! -f "$WINEPREFIX/system.reg" ]; then
            echo "wine-env: wineboot did not create the prefix" >&2
            exit 1
        fi
        touch "$WINEPREFIX/.zt-ready"
    fi
    ;;
start)
    # A server already running for this prefix (a developer's) is used and
    # left alone; one started here is marked, and stopped by 'stop'.
    if wineserver -p 2>/dev/null; then
        touch "$build/.wineserver-started"
    fi
    wine cmd /c exit >/dev/null 2>&1 || true
    ;;
stop)
    if [ -f "$build/.wineserver-started" ]; then
        rm -f "$build/.wineserver-started"
        wineserver -k >/dev/null 2>&1 || true
    fi
    ;;
run)
    exec "$@"
    ;;
*)
    echo "usage: wine-env.sh BUILD_DIR prefix|start|stop|run CMD..." >&2
    exit 2
    ;;
esac
