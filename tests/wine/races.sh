#!/usr/bin/env bash
# Races and faults under Wine and Xvfb: ten copies of Morvessa.exe started at once,
# twenty times, and the program's behaviour when its batch file or the right to write its
# registry key is missing.
#   tests/wine/races.sh <folder with Morvessa.exe and the test tools> [case...]
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
suite_start races "$1"

# Starts the program, picks F:, presses OK, answers the notice (ticking its box when asked)
# and the message that follows when one is expected, and waits for the program to end.
change_letter() { # what [tick] [message]
    open_dialog
    pick_f "$1"
    [ "${2:-}" = tick ] && tool click Quenlath 1003
    tool click Quenlath 1
    [ -z "${3:-}" ] || expect_message_box "$3" "$1" "" over
    wait_ends "$PROGRAM" 20 "Morvessa.exe ($1)"
}

MISSING="a file the utility needs (assign.bat) is missing"

# No window of the program is left, and no other program (an error box of the shell, a
# crash dialog) showed a window either.
no_window_left() { check_eq "$1: visible windows" "" "$(tool list | grep '^window')"; } # what

case_ten_copies() {
    recording_machine ide E
    local program trial line
    program=$(winepath -w "$BIN/Morvessa.exe")
    echo "    \"held\": of the copies started at once only one showed the main dialog, the others ended (with"
    echo "    the message or silently, having brought that dialog to the front), and a new start showed it again."
    for trial in $(seq "${RACE_TRIALS:-20}"); do
        line=$(tool race "${RACE_COPIES:-10}" Quenlath "$program" "The Quenlath cannot be run.")
        echo "    trial $trial: $line"
        [[ $line == held* ]] || { fail "trial $trial"; break; }
    done
    no_window_left "after the trials"
}

case_batch_missing() {
    recording_machine ide E
    rm -f "$WINEPREFIX/drive_c/Program Files (x86)/Korvane/morvessa/assign.bat"
    change_letter "batch missing" "" "$MISSING"
    no_window_left "batch missing"
}

# An administrator who may not write the product key: the "do not show again" choice is
# lost silently, the letter is still changed, and the notice comes back next time. (A user
# without administrator rights never gets that far: tier 2's
# Startup.ARestrictedTokenStopsAtTheAdministratorCheck.)
case_product_key_read_only() {
    recording_machine ide E
    wine_reg add "$PRODUCT_KEY" /v HideMsg /t REG_DWORD /d 0
    tool lockkey 'Software\Korvane\Morvessa' || fail "could not lock the key"
    change_letter "read-only key" tick
    no_window_left "read-only key"
    check_eq "HideMsg of the read-only key" 0x0 "$(reg_value "$PRODUCT_KEY" HideMsg)"
    change_letter "read-only key, second run"
    check_eq "assign.bat calls with a read-only key" $'E: F:\nE: F:' "$(wine_batch_calls)"
}

AFTER_EACH_CASE=wine_cleanup
run_cases races "${@:2}"
