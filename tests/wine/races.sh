#!/usr/bin/env bash
# Races and faults under Wine and Xvfb: ten copies of Morvessa.exe started at once,
# twenty times, and the program's behaviour when its batch file, a usable ProgramFiles
# variable or the right to write its registry key is missing.
#   tests/wine/races.sh <folder with Morvessa.exe and the test tools> [case...]
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
suite_start races "$1"
shift
TRIALS=${RACE_TRIALS:-20}
COPIES=${RACE_COPIES:-10}

races_machine() {
    machine "$CASE" ide E
    wine_plant_recording_batch
}

# Picks F:, presses OK, answers the notice (ticking its box when asked) and the message
# that follows when one is expected, and waits for the program to end.
change_letter() { # what [tick] [message]
    wait_window Quenlath || fail "$1: main dialog did not appear"
    pick_f "$1"
    [ "${2:-}" = tick ] && tool click Quenlath 1003
    if [ -n "${3:-}" ]; then
        tool click Quenlath 1
        expect_message_box "$3" "$1" "" over
    else
        close_with 1 "$1"
    fi
}

MISSING="a file the utility needs (assign.bat) is missing"

# No window of the program is left, and no other program (an error box of the shell, a
# crash dialog) showed a window either.
no_window_left() { # what
    check_eq "$1: windows titled Quenlath" "0" "$(window_count Quenlath)"
    check_eq "$1: visible top-level windows" "" "$(tool list | grep '^window' | cut -c1-120)"
}

# The program waits for the batch file, so its calls are there when the program ends.
calls_after() { # what expected
    check_eq "assign.bat calls $1" "$2" "$(wine_batch_calls)"
}

case_ten_copies() {
    races_machine
    local program trial held=0 line started=$SECONDS
    program=$(winepath -w "$BIN/Morvessa.exe")
    for trial in $(seq "$TRIALS"); do
        line=$(tool race "$COPIES" Quenlath "$program" "The Quenlath cannot be run.")
        echo "    trial $trial: $line"
        [[ $line == held:* ]] && held=$((held + 1)) || fail "trial $trial"
    done
    echo "    $held of $TRIALS trials held in $((SECONDS - started)) s"
    no_window_left "after the trials"
}

case_batch_missing() {
    races_machine
    rm -f "$WINEPREFIX/drive_c/Program Files (x86)/Korvane/morvessa/assign.bat"
    start_program
    change_letter "batch missing" "" "$MISSING"
    no_window_left "batch missing"
    check_eq "assign.bat calls" "" "$(wine_batch_calls)"
    # Put back, the batch runs again.
    wine_plant_recording_batch
    start_program
    change_letter "batch restored"
    calls_after "once restored" "E: F:"
}

# Wine sets ProgramFiles in every 32-bit process from "ProgramFilesDir (x86)" in the
# registry's 64-bit view; without that value, a variable removed by the window tool stays
# removed in the program.
case_program_files_missing() {
    races_machine
    local key='HKLM\Software\Microsoft\Windows\CurrentVersion' value='ProgramFilesDir (x86)'
    wine reg delete "$key" /v "$value" /reg:64 /f >/dev/null 2>&1
    start_program "$BIN/windowtool.exe" run without ProgramFiles
    change_letter "ProgramFiles missing" "" "$MISSING"
    no_window_left "ProgramFiles missing"
    # A relative folder could name anything: it is refused the same way.
    wine reg add "$key" /v "$value" /d 'Program Files (x86)' /reg:64 /f >/dev/null 2>&1
    start_program
    change_letter "ProgramFiles relative" "" "$MISSING"
    check_eq "assign.bat calls without a usable ProgramFiles" "" "$(wine_batch_calls)"
    # With the variable back, the same machine launches the batch.
    wine reg add "$key" /v "$value" /d 'C:\Program Files (x86)' /reg:64 /f >/dev/null 2>&1
    start_program
    change_letter "ProgramFiles back"
    calls_after "with ProgramFiles back" "E: F:"
}

# An administrator who may not write the product key: the "do not show again" choice is
# lost silently, the letter is still changed, and the notice comes back next time. A user
# without administrator rights never gets that far: the program stops at its administrator
# check, which is what a restricted token shows.
case_product_key_read_only() {
    races_machine
    wine reg add "$PRODUCT_KEY" /v HideMsg /t REG_DWORD /d 0 /f >/dev/null 2>&1
    tool lockkey 'Software\Korvane\Morvessa' || fail "could not lock the key"
    wine reg add "$PRODUCT_KEY" /v Probe /d 1 /f >/dev/null 2>&1 && fail "the locked key can still be written"
    start_program
    change_letter "read-only key" tick
    no_window_left "read-only key"
    wine reg query "$PRODUCT_KEY" /v HideMsg 2>/dev/null | grep -q '0x0' || fail "HideMsg changed"
    start_program
    change_letter "read-only key, second run"
    calls_after "with a read-only key" $'E: F:\nE: F:'

    start_program "$BIN/windowtool.exe" run restricted
    expect_message_box "Administrator's authority is needed" "restricted token"
    no_window_left "restricted token"
    check_eq "assign.bat calls after the restricted run" $'E: F:\nE: F:' "$(wine_batch_calls)"
}

AFTER_EACH_CASE=wine_cleanup
ALL_CASES=(ten_copies batch_missing program_files_missing product_key_read_only)
run_cases races "$@"
