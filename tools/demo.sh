#!/bin/sh
# make demo: the terminal application of examples/ on the virtual operator
# panel, in the build tree's Wine prefix (the Makefile has built and
# registered everything and runs this inside the prefix's environment).
#
#   tools/demo.sh BUILD_DIR
#
# EXAMPLE=js|vbs|cpp    which form of the application runs (default js)
# OPERATOR=scripted     a scripted operator presses the keys (default)
# OPERATOR=manual       you press them in `ttupanel watch` in another terminal
#
# Exit status 0 only when the application ran to its end.
set -u

build=$(cd "${1:-build}" && pwd)
root=$(cd "$(dirname "$0")/.." && pwd)
bin=$build/bin
example=${EXAMPLE:-js}
operator=${OPERATOR:-scripted}
work=$build/demo
mkdir -p "$work"

fail() {
    echo "make demo: $*" >&2
    exit 1
}

case $example in
js | vbs | cpp) ;;
*) fail "EXAMPLE must be js, vbs or cpp, not '$example'" ;;
esac
case $operator in
scripted) read_timeout=20000 ;;
manual) read_timeout=120000 ;;
*) fail "OPERATOR must be scripted or manual, not '$operator'" ;;
esac
for part in ZTOperatorPanel30.ocx ZTScriptEvents.dll ttusim.dll ttupanel.exe terminal.exe; do
    [ -f "$bin/$part" ] || fail "$bin/$part was not built; run 'make test' to see what exists"
done

"$root/tools/wine-env.sh" "$build" start
trap '"$root/tools/wine-env.sh" "$build" stop' EXIT
started=$(date +%s)

# Power-on state: nothing left on the display, no injected faults.
wine "$bin/ttupanel.exe" reset >/dev/null || fail "the virtual panel cannot be reached"

if [ "$operator" = scripted ]; then
    echo "== The operator enters PIN 1234 and chooses F2 on the panel."
    set -- 'wait ENTER PIN' 'type 1234' 'press ENTER' 'wait SELECT AMOUNT' 'press FDK02'
else
    echo "== Press the keys yourself: in another terminal run"
    echo "     $build/wine-run.sh $bin/ttupanel.exe watch"
    echo "   type a PIN and Enter, then F1, F2 or F3 (Esc cancels)."
    echo "   Each read waits $((read_timeout / 1000)) s; q leaves the watch."
    set --
fi

echo "== The terminal application ($example):"
sh "$root/examples/run-terminal.sh" "$bin" "$example" "$read_timeout" "$work/terminal.log" "$@"
status=$?

echo "== The panel afterwards (ttupanel show):"
wine "$bin/ttupanel.exe" show
# Its picture, as the window of `ttupanel gui` shows it, drawn off screen.
if wine "$bin/ttupanel.exe" snapshot "$(winepath -w "$work/panel.png")"; then
    echo "== The panel's picture (ttupanel snapshot): $work/panel.png"
else
    echo "== make demo: ttupanel snapshot could not write $work/panel.png" >&2
    status=1
fi

if [ "$status" -ne 0 ]; then
    echo "== make demo FAILED (exit status $status; the output is in $work/terminal.log)" >&2
    exit 1
fi
echo "== make demo: done in $(($(date +%s) - started)) s."
exit 0
