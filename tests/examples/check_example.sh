#!/bin/sh
# One run of a form of the terminal application (examples/) against the
# virtual panel, with what the operator and the panel do in the scenario,
# and checks of its exit status, its output and the display it leaves.
#
#   check_example.sh BIN_DIR js|vbs|cpp SCENARIO WORK_DIR
#
# SCENARIO: transfer (PIN, then F2), cancel (PIN, then CANCEL at the menu),
# timeout (nobody at the panel), hardware (the form write fails).
set -u

bin=$1
example=$2
scenario=$3
work=$4
root=$(cd "$(dirname "$0")/../.." && pwd)
log=$work/example-$example-$scenario.log
mkdir -p "$work"
failures=0

panel() {
    wine "$bin/ttupanel.exe" "$@"
}

problem() {
    echo "CHECK FAILED ($example, $scenario): $*" >&2
    failures=$((failures + 1))
}

expect_output() {
    for text in "$@"; do
        grep -qF -- "$text" "$log" || problem "the output lacks '$text'"
    done
}

expect_display() {
    view=$(panel show)
    for text in "$@"; do
        printf '%s\n' "$view" | grep -qF -- "$text" || problem "the display lacks '$text'"
    done
}

panel reset >/dev/null || { echo "the virtual panel cannot be reached" >&2; exit 1; }

pin='wait ENTER PIN|type 4321|press ENTER'
case $scenario in
transfer)
    steps="$pin|wait SELECT AMOUNT|press FDK02"
    timeout=20000
    expected_status=0
    ;;
cancel)
    steps="$pin|wait SELECT AMOUNT|press CANCEL"
    timeout=20000
    expected_status=0
    ;;
timeout)
    steps=
    timeout=1500
    expected_status=1
    ;;
hardware)
    panel fail command WRITE_FORM 1 HARDWARE_ERROR >/dev/null ||
        { echo "ttupanel fail: exit status $?" >&2; exit 1; }
    steps="$pin|wait SELECT AMOUNT|press FDK03"
    timeout=20000
    expected_status=1
    ;;
*)
    echo "unknown scenario '$scenario'" >&2
    exit 2
    ;;
esac

# The steps become the operator's arguments, one per '|'-separated part.
old_ifs=$IFS
IFS='|'
# shellcheck disable=SC2086
set -- $steps
IFS=$old_ifs
sh "$root/examples/run-terminal.sh" "$bin" "$example" "$timeout" "$log" "$@"
status=$?
[ "$status" -eq "$expected_status" ] || problem "exit status $status, expected $expected_status"

case $scenario in
transfer)
    expect_output "OpenSessionSync -> 0" "event LEDStatusChanged(0, CONTINUOUS)" \
        "event LEDStatusChanged(1, SLOW)" "event ReadComplete(*)" "PIN entered" \
        ", 25)" "amount chosen: 50.00" "event WriteFormComplete()" "CloseSessionSync -> 0" \
        "terminal: finished"
    # The PIN never reaches the log: its four digits and ENTER show masked,
    # neither as text read nor as key codes (49 to 52).
    expect_output "event TTUKeyPressed(*, *, 1)"
    [ "$(grep -cF 'event TTUKeyPressed(*, *, 0)' "$log")" -eq 4 ] ||
        problem "the four PIN digits do not show as four masked key presses"
    if grep -qE '4321|TTUKeyPressed\([0-9]|, (49|5[0-2]), ' "$log"; then
        problem "the output shows PIN digits"
    fi
    expect_display "4711000042" "50.00" "THANK YOU" "Read:          none"
    ;;
cancel)
    expect_output "PIN entered" "event UserCancelled()" "cancelled by the customer" \
        "event WriteFormComplete()" "CloseSessionSync -> 0" "terminal: finished"
    expect_display "GOODBYE"
    ;;
timeout)
    expect_output "event Timeout()" "terminal: FAILED Timeout()"
    # The application gave up, and its session with it: no read is left.
    expect_display "Read:          none"
    ;;
hardware)
    expect_output "amount chosen: 100.00" "event DeviceError(CMD_TTU_WRITE_FORM, -14)" \
        "terminal: FAILED DeviceError(CMD_TTU_WRITE_FORM, -14)"
    ;;
esac
if grep -q '^terminal: finished' "$log" && grep -q '^terminal: FAILED' "$log"; then
    problem "the application says both finished and FAILED"
fi

[ "$failures" -eq 0 ] || exit 1
echo "$example $scenario: ok"
