#!/bin/sh
# Runs one form of the terminal application against the virtual panel, with
# the scripted operator (operator.sh) pressing keys beside it.
#
#   run-terminal.sh BIN_DIR js|vbs|cpp READ_TIMEOUT_MS LOG [OPERATOR_STEP...]
#
# The application's output is shown and kept in LOG. Without operator steps
# nobody presses a key. Runs inside the Wine prefix's environment, with the
# panel in the state the caller wants (ttupanel reset, injected faults).
# Exit status: the application's, except that a run which did not print its
# last line "terminal: finished" counts as failed: Wine's cscript ends a
# script that broke with status 0 and prints nothing.

bin=$1
example=$2
read_timeout=$3
log=$4
shift 4
here=$(cd "$(dirname "$0")" && pwd)

case $example in
js | vbs) app="wine ${ZT_CSCRIPT:-cscript} //nologo $(winepath -w "$here/terminal.$example")" ;;
cpp) app="wine $bin/terminal.exe" ;;
*)
    echo "run-terminal: the example is js, vbs or cpp, not '$example'" >&2
    exit 2
    ;;
esac

operator_pid=
if [ $# -gt 0 ]; then
    sh "$here/operator.sh" "$bin" "$@" &
    operator_pid=$!
fi

# The application's exit status crosses the pipe through a file.
rm -f "$log.status"
{
    $app "$read_timeout"
    echo $? >"$log.status"
} 2>&1 | tee "$log"
status=$(cat "$log.status" 2>/dev/null || echo 1)
rm -f "$log.status"

# An operator still waiting for a prompt that never came is of no use now.
if [ -n "$operator_pid" ]; then
    kill "$operator_pid" 2>/dev/null
    wait "$operator_pid" 2>/dev/null
fi

if [ "$status" -eq 0 ] && ! grep -q '^terminal: finished' "$log"; then
    echo "run-terminal: the application ended without its last line" >&2
    status=1
fi
exit "$status"
