#!/usr/bin/env bash
# Races and faults under Wine and Xvfb: ten copies of Morvessa.exe started at once,
# twenty times, and the program's behaviour when its batch file, the ProgramFiles
# variable or the right to write its registry key is missing.
#   tests/wine/races.sh <folder with Morvessa.exe and the test tools> [case...]
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
source "$WINE_LIB_DIR/harness.sh"

BIN=$(cd "$1" && pwd)
shift
ROOT=$(cd "$WINE_LIB_DIR/../.." && pwd)
WORK=${RACES_WORK:-$ROOT/build/races}
TEMPLATE=$WORK/template-prefix
TRIALS=${RACE_TRIALS:-20}
COPIES=${RACE_COPIES:-10}
mkdir -p "$WORK"
trap wine_cleanup EXIT



launcher() { wine "$BIN/launcher.exe" "$@" | tr -d '\r'; }
program_path() { winepath -w "$BIN/Morvessa.exe"; }



# A machine: a fresh prefix with Xvfb, the IDE drive at E: with its mount entry, and a
# recording assign.bat. The server stays up for the whole case (wineserver -p).
machine() {
    wine_start_xvfb
    export WINEPREFIX="$WORK/prefix-$CASE"
    wine_new_prefix "$WINEPREFIX" "$TEMPLATE"
    wine_plant_drive ide E
    wine_plant_mount_entry E ide
    wine_plant_recording_batch
}

# Runs the program, picks F:, presses OK, answers the notice (ticking its box when
# asked), and waits for the program to end.
change_letter() { # what [tick]
    probe wait Quenlath 30 || { fail "$1: main dialog did not appear"; return 1; }
    probe select Quenlath 1002 F:
    probe click Quenlath 1
    probe wait Quenlath 10
    for _ in $(seq 50); do
        probe list Quenlath | grep -q "control id=1003" && break
        sleep 0.1
    done
    if probe list Quenlath | grep -q "control id=1003"; then
        [ "${2:-}" = tick ] && probe click Quenlath 1003
        probe click Quenlath 1
    else
        fail "$1: the notice did not appear"
    fi
}

# No window of the program is left, and no other program (an error box of the shell,
# a crash dialog) showed a window either.
no_window_left() { # what
    check_eq "$1: windows titled Quenlath" "0" "$(probe count Quenlath)"
    check_eq "$1: visible top-level windows" "" "$(probe list | grep '^window' | cut -c1-120)"
}

# ---- Cases -------------------------------------------------------------------------

case_ten_copies() {
    machine
    local program trial held=0 line started=$SECONDS
    program=$(program_path)
    for trial in $(seq "$TRIALS"); do
        line=$(launcher race "$COPIES" Quenlath "$program" "The Quenlath cannot be run.")
        echo "    trial $trial: $line"
        case "$line" in
        held:*) held=$((held + 1)) ;;
        *) fail "trial $trial" ;;
        esac
    done
    echo "    $held of $TRIALS trials held in $((SECONDS - started)) s"
    no_window_left "after the trials"
}

case_batch_missing() {
    machine
    rm -f "$WINEPREFIX/drive_c/Program Files (x86)/Korvane/morvessa/assign.bat"
    start_program
    change_letter "batch missing"
    wait_ends "$PROGRAM" 20 "Morvessa.exe without its batch file"
    no_window_left "batch missing"
    check_eq "assign.bat calls" "" "$(wine_batch_calls)"
    # Put back, the batch runs again.
    wine_plant_recording_batch
    start_program
    change_letter "batch restored"
    wait_ends "$PROGRAM" 20 "Morvessa.exe with its batch file back"
    sleep 2
    check_eq "assign.bat calls once restored" "E: F:" "$(wine_batch_calls)"
}

# Wine sets ProgramFiles in every 32-bit process from "ProgramFilesDir (x86)" in the
# registry's 64-bit view; without that value, a variable removed by the launcher stays
# removed in the program.
case_program_files_missing() {
    machine
    local key='HKLM\Software\Microsoft\Windows\CurrentVersion' value='ProgramFilesDir (x86)'
    wine reg delete "$key" /v "$value" /reg:64 /f >/dev/null 2>&1
    wine "$BIN/launcher.exe" without ProgramFiles "$(program_path)" &
    PROGRAM=$!
    wine_track "$PROGRAM"
    change_letter "ProgramFiles missing"
    wait_ends "$PROGRAM" 20 "Morvessa.exe without ProgramFiles"
    no_window_left "ProgramFiles missing"
    sleep 2
    check_eq "assign.bat calls without ProgramFiles" "" "$(wine_batch_calls)"
    # With the variable back, the same machine launches the batch.
    wine reg add "$key" /v "$value" /d 'C:\Program Files (x86)' /reg:64 /f >/dev/null 2>&1
    start_program
    change_letter "ProgramFiles back"
    wait_ends "$PROGRAM" 20 "Morvessa.exe with ProgramFiles back"
    sleep 2
    check_eq "assign.bat calls with ProgramFiles back" "E: F:" "$(wine_batch_calls)"
}

# An administrator who may not write the product key: the "do not show again" choice is
# lost silently, the letter is still changed, and the notice comes back next time. A
# user without administrator rights never gets that far: the program stops at its
# administrator check, which is what a restricted token shows.
case_product_key_read_only() {
    machine
    local key='HKLM\Software\Korvane\Morvessa'
    wine reg add "$key" /v HideMsg /t REG_DWORD /d 0 /f >/dev/null 2>&1
    wine "$BIN/readonlykey.exe" 'Software\Korvane\Morvessa' || fail "could not lock the key"
    if wine reg add "$key" /v Probe /d 1 /f >/dev/null 2>&1; then
        fail "the locked key can still be written"
    fi
    start_program
    change_letter "read-only key" tick
    wait_ends "$PROGRAM" 20 "Morvessa.exe with a read-only key"
    no_window_left "read-only key"
    wine reg query "$key" /v HideMsg 2>/dev/null | grep -q '0x0' || fail "HideMsg changed"
    start_program
    change_letter "read-only key, second run"
    wait_ends "$PROGRAM" 20 "Morvessa.exe, second run"
    sleep 2
    check_eq "assign.bat calls with a read-only key" $'E: F:\nE: F:' "$(wine_batch_calls)"

    start_program "$BIN/runrestricted.exe"
    probe wait Quenlath 30 || fail "no message for the restricted token"
    probe list Quenlath | grep -qF "Administrator's authority is needed" ||
        fail "restricted token: not the administrator message"
    if probe list Quenlath | grep -q "control id=1000"; then
        fail "restricted token: the main dialog opened"
    fi
    probe click Quenlath 1
    wait_ends "$PROGRAM" 20 "Morvessa.exe under a restricted token"
    no_window_left "restricted token"
    check_eq "assign.bat calls after the restricted run" $'E: F:\nE: F:' "$(wine_batch_calls)"
}

AFTER_EACH_CASE=wine_cleanup
ALL_CASES=(ten_copies batch_missing program_files_missing product_key_read_only)

run_cases races "$@"
status=$?
rm -rf "$TEMPLATE"
exit $status
