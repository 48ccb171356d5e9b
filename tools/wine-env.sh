#!/usr/bin/env bash
# The private, headless Wine prefix of one configured build tree (its
# environment is the tree's wine-run.sh, written by CMake).
#   wine-env.sh BUILD_DIR prefix   create the prefix once (null graphics driver)
#   wine-env.sh BUILD_DIR can-run  exit 0 when this Wine runs the tree's programs,
#                                  else print why not and exit 1
#   wine-env.sh BUILD_DIR start    start its server and services, kept running
#   wine-env.sh BUILD_DIR stop     stop its server
#   wine-env.sh BUILD_DIR run CMD  run a command with the prefix's environment
set -euo pipefail

build=$(cd "$1" && pwd)
action=$2
shift 2

if [ ! -x "$build/wine-run.sh" ]; then
    echo "wine-env: $build is not a configured build tree (no wine-run.sh)" >&2
    exit 2
fi
in_prefix() { "$build/wine-run.sh" "$@"; }
eval "$(grep -E '^export (WINEPREFIX|ZT_ARCH)=' "$build/wine-run.sh")"

# Debian's 32-bit loader; a 64-bit prefix made without it has no SysWOW64.
wine32_loader=/usr/lib/wine/wine
needs_wow64() { [ "${ZT_ARCH:-x86_64}" != x86_64 ]; }

case "$action" in
can-run)
    if needs_wow64 && [ ! -x "$wine32_loader" ]; then
        echo "32-bit Wine (wine32:i386) is not installed"
        exit 1
    fi
    if needs_wow64 && ! "$wine32_loader" --version >/dev/null 2>&1; then
        echo "the 32-bit Wine loader $wine32_loader does not run here"
        exit 1
    fi
    ;;
prefix)
    if [ -f "$WINEPREFIX/.zt-ready" ] && needs_wow64 && [ ! -d "$WINEPREFIX/drive_c/windows/syswow64" ]; then
        rm -f "$WINEPREFIX/.zt-ready"
    fi
    if [ ! -f "$WINEPREFIX/.zt-ready" ]; then
        echo "wine-env: creating the headless Wine prefix $WINEPREFIX (once)"
        rm -rf "$WINEPREFIX"
        in_prefix wineboot -i >/dev/null 2>&1 || true
        in_prefix wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
        # No debugger on an unhandled exception: Wine starts winedbg
        # unless the command named here fails to start, and winedbg can hold
        # a crashed test until its time-out. A program that crashes now
        # ends at once, with its exception code.
        for view in 64 32; do
            in_prefix wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' \
                /v Debugger /d zt-no-debugger.exe /f /reg:$view >/dev/null 2>&1 || true
        done
        in_prefix wineserver -w
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
    if in_prefix wineserver -p 2>/dev/null; then
        touch "$build/.wineserver-started"
    fi
    in_prefix wine cmd /c exit >/dev/null 2>&1 || true
    ;;
stop)
    if [ -f "$build/.wineserver-started" ]; then
        rm -f "$build/.wineserver-started"
        in_prefix wineserver -k >/dev/null 2>&1 || true
    fi
    ;;
run)
    exec "$build/wine-run.sh" "$@"
    ;;
*)
    echo "usage: wine-env.sh BUILD_DIR prefix|can-run|start|stop|run CMD..." >&2
    exit 2
    ;;
esac
