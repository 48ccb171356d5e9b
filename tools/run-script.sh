#!/bin/sh
# Runs one script test under cscript in the build's Wine prefix (the
# cscript of the tree's architecture, ZT_CSCRIPT from wine-run.sh):
#   run-script.sh BIN_DIR SCRIPT
# (the script gets BIN_DIR, as a Windows path, as its first argument).
# Passes only when the script exits 0 and its last line is "PASS": Wine's
# cscript ends a script that broke with status 0 and prints nothing.
bin=$1
script=$2
out=$(wine "${ZT_CSCRIPT:-cscript}" //nologo "$(winepath -w "$script")" "$(winepath -w "$bin")" 2>&1)
status=$?
printf '%s\n' "$out"
last=$(printf '%s\n' "$out" | tr -d '\r' | tail -n 1)
if [ "$status" -ne 0 ] || [ "$last" != "PASS" ]; then
    echo "run-script: $(basename "$script") failed (exit $status)" >&2
    exit 1
fi
exit 0
