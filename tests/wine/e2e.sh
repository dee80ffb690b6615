#!/usr/bin/env bash
# End-to-end tests: the real Morvessa.exe under Wine and Xvfb, on prefixes planted as
# machines with a supported optical drive and a recording assign.bat, driven from outside
# with the window tool. Screenshots of each dialog in each language go to build/screenshots.
#   tests/wine/e2e.sh <folder with Morvessa.exe and the test tools> [case...]
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
suite_start e2e "$1"

combo_items() { tool list Quenlath | sed -n "s/^  control id=$1 items=//p" | head -1; }

# The ProgramFiles variable, which whoever elevates the program sets (Wine sets it from
# "ProgramFilesDir (x86)" in the 64-bit view), does not choose the batch file: here it holds
# %OS%, which cmd would expand to another folder; the batch files there record nothing.
case_typical_run_ide() {
    recording_machine ide E
    wine_reg add 'HKLM\Software\Microsoft\Windows\CurrentVersion' /v 'ProgramFilesDir (x86)' /d 'C:\P%OS%Q' /reg:64
    for folder in 'P%OS%Q' PWindows_NTQ; do
        mkdir -p "$WINEPREFIX/drive_c/$folder/Korvane/morvessa"
        printf '@exit /b 7\r\n' >"$WINEPREFIX/drive_c/$folder/Korvane/morvessa/assign.bat"
    done
    open_dialog
    check_eq "current letter list" "[E:]" "$(combo_items 1000)"
    # C: to Z: but the letters DOS devices name: C:, the drive's E:, Wine's Z: (the Unix root).
    check_eq "new letter list" "$(printf '[%s:]' D {F..Y})" "$(combo_items 1002)"
    # Without VERSION the About box shows the program's own version (the stored text is
    # checked in every language below, and after an install).
    check_about Quenlath V3.02L10
    pick_f "first run"
    tool click Quenlath 1003
    close_with 1 "first run"
    # The program waited for the batch file: its call is recorded by the time it ends.
    check_eq "assign.bat calls" "E: F:" "$(wine_batch_calls)"
    check_eq "HideMsg in the 32-bit view" 0x1 "$(reg_value "$PRODUCT_KEY" HideMsg)"

    # The next run skips the notice.
    open_dialog
    tool select Quenlath 1002 G:
    close_with 1 "second run"
    check_eq "assign.bat calls" $'E: F:\nE: G:' "$(wine_batch_calls)"
}

# Each language: the texts of its resources, a screenshot of each dialog, and the message
# after a change that left the drive without a letter. The version text is the
# installer's, which must fit the About box in every language.
case_languages() {
    recording_machine ide E
    wine_reg add "$PRODUCT_KEY" /v VERSION /d "V3.02L10 M00"
    plant_batch 11
    local locale name cancel notice about message
    while IFS='|' read -r locale name cancel notice about message _; do
        LANG=$locale LC_ALL=$locale start_program
        shows "$name: Cancel button does not read [$cancel]" Quenlath "text=$cancel"
        screenshot "$SHOTS/$name-main.png" Quenlath
        check_about "$about" "V3.02L10 M00" "$SHOTS/$name-about.png"
        pick_f "$name"
        windows_show Quenlath "$notice" || fail "$name: notice text not in this language"
        screenshot "$SHOTS/$name-notice.png" Quenlath
        tool click Quenlath 1
        expect_message_box "$message" "$name" "$SHOTS/$name-outcome-11.png"
    done < <(languages)
}

# While the batch file runs, the lists and both buttons are greyed, an OK, an About command
# or a Cancel that another program posts changes nothing, and a log-off is refused. After a
# minute the program says that the change still runs and keeps waiting, holding its
# instance: a second copy only brings it to the front. The batch file's own ending is told
# when it comes.
case_change_runs_past_a_minute() {
    recording_machine ide E
    wine_reg add "$PRODUCT_KEY" /v HideMsg /t REG_DWORD /d 1
    plant_batch wait
    LANG=C LC_ALL=C open_dialog
    pick_f "waiting" hidden
    poll 10 greyed_are "1 2 1000 1002" || fail "not greyed: [$(greyed_ids)]"
    tool post Quenlath command 1
    tool post Quenlath syscommand 32989
    tool post Quenlath command 2
    sleep 3
    windows_show Quenlath "control id=1006" && fail "an About box opened during the change"
    check_eq "assign.bat calls during the change" "E: F:" "$(wine_batch_calls)"
    check_eq "the answer to a log-off during the change" 0 "$(tool endsession Quenlath)"
    poll 75 windows_show Quenlath "keep waiting" || fail "no message after a minute"
    screenshot "$SHOTS/en-outcome-timeout.png" Quenlath
    tool click Quenlath 1
    local first=$PROGRAM
    start_program
    wait_ends "$PROGRAM" 20 "a second copy during the change"
    PROGRAM=$first
    kill -0 "$PROGRAM" 2>/dev/null || fail "the program ended before the change"
    expect_message_box "The drive keeps its current letter." "after the change"
    check_eq "assign.bat calls" "E: F:" "$(wine_batch_calls)"
}
greyed_ids() { tool list Quenlath | sed -n 's/^  control id=\([0-9]*\) greyed .*/\1/p' | sort -n | xargs; }
greyed_are() { [ "$(greyed_ids)" = "$1" ]; }

# The main dialog at 96, 144 and 192 DPI grows with the setting.
case_dpi() {
    XVFB_SCREEN=1600x1200x24 recording_machine ide E
    local dpi width
    for dpi in 96 144 192; do
        wine_reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi"
        open_dialog
        screenshot "$SHOTS/en-main-$dpi.png" '^Quenlath$'
        width=$(identify -format %w "$SHOTS/en-main-$dpi.png" 2>/dev/null)
        # About 590 pixels at 96 DPI; font metrics round, so the growth is not exactly linear.
        ((${width:-0} * 96 / dpi >= 530 && ${width:-0} * 96 / dpi <= 640)) || fail "$dpi DPI: ${width:-no} pixels wide"
        close_with 2 "$dpi DPI"
    done
}

AFTER_EACH_CASE=wine_cleanup
run_cases end-to-end "${@:2}"
