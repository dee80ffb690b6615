#!/usr/bin/env bash
# Races under Wine and Xvfb: ten copies of Morvessa.exe started at once, twenty times.
#   tests/wine/races.sh <folder with Morvessa.exe and the test tools> [case...]
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
suite_start races "$1"

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
    # No window is left: none of the program's, nor a crash dialog or an error box.
    check_eq "visible windows after the trials" "" "$(tool list | grep '^window')"
}

AFTER_EACH_CASE=wine_cleanup
run_cases races "${@:2}"
