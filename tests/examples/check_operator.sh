#!/bin/sh
# The scripted operator waits for a prompt no longer than it was told, says
# which prompt never came, and then presses nothing more.
#
#   check_operator.sh BIN_DIR
set -u
bin=$1
root=$(cd "$(dirname "$0")/../.." && pwd)

wine "$bin/ttupanel.exe" reset >/dev/null || exit 1
output=$(OPERATOR_PATIENCE=1 sh "$root/examples/operator.sh" "$bin" 'wait NEVER SHOWN' 'type 1' 2>&1)
status=$?
verdict=0
[ "$status" -eq 1 ] || { echo "exit status $status, expected 1" >&2; verdict=1; }
printf '%s\n' "$output" | grep -qF "gave up waiting for 'NEVER SHOWN' after 1 s" ||
    { echo "no word of the missing prompt: $output" >&2; verdict=1; }
printf '%s\n' "$output" | grep -qF 'operator: type 1' &&
    { echo "it typed after giving up" >&2; verdict=1; }
exit "$verdict"
