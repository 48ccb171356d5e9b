#!/bin/sh
# A scripted operator at the virtual panel: it waits for a prompt and then
# presses keys, as a person would, through the panel's console tool.
#
#   operator.sh BIN_DIR STEP...
#
# A step "wait TEXT" waits until the display shows TEXT and a read waits for
# keys (keys pressed before a read that flushes the keyboard would be lost);
# any other step is a ttupanel command ("type 1234", "press ENTER", ...).
# Runs inside the Wine prefix's environment (wine-run.sh, wine-env.sh run).
# OPERATOR_PATIENCE is how many seconds a wait lasts (default 25).
# Exit status: 0 when every step was done, 1 otherwise.

bin=$1
shift
patience=${OPERATOR_PATIENCE:-25}

panel() {
    wine "$bin/ttupanel.exe" "$@"
}

prompt_ready() {
    view=$(panel show 2>/dev/null) || return 1
    printf '%s\n' "$view" | grep -qF -- "$1" &&
        printf '%s\n' "$view" | grep -q 'Read: *waiting for keys'
}

# What the operator has in front of them: the display's frame.
show_display() {
    printf '%s\n' "$view" | tr -d '\r' | grep -E '^[+|]' | sed 's/^/operator sees: /'
}

wait_for_prompt() {
    deadline=$(($(date +%s) + patience))
    until prompt_ready "$1"; do
        if [ "$(date +%s)" -ge "$deadline" ]; then
            echo "operator: gave up waiting for '$1' after ${patience} s" >&2
            return 1
        fi
        sleep 0.2
    done
}

for step in "$@"; do
    case $step in
    wait\ *)
        wait_for_prompt "${step#wait }" || exit 1
        show_display
        ;;
    *)
        echo "operator: $step"
        # The step's words are the tool's arguments.
        # shellcheck disable=SC2086
        panel $step >/dev/null || { echo "operator: 'ttupanel $step' failed (exit status $?)" >&2; exit 1; }
        ;;
    esac
done
exit 0
