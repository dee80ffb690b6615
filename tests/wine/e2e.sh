#!/usr/bin/env bash
# End-to-end tests: the real Morvessa.exe under Wine and Xvfb, on prefixes planted as
# machines with a supported optical drive and a recording assign.bat, driven from outside
# with the window tool. Screenshots of each dialog in each language go to build/screenshots.
#   tests/wine/e2e.sh <folder with Morvessa.exe and the test tools> [case...]
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
suite_start e2e "$1"
shift
SHOTS=$ROOT/build/screenshots
mkdir -p "$SHOTS"

e2e_machine() { # ide|usb|none letter
    machine "$CASE" "$@"
    wine_plant_recording_batch
}

# Letters C: to Z: that no DOS device names in this prefix: what the new list must hold.
free_letters() {
    local letter
    for letter in {c..z}; do
        [ -e "$WINEPREFIX/dosdevices/$letter:" ] || [ -L "$WINEPREFIX/dosdevices/$letter:" ] ||
            printf '[%s:]' "${letter^^}"
    done
}

combo_items() { tool list Quenlath | grep -m1 "control id=$1 " | sed 's/.*items=//'; }

shows() { # what title text
    poll 30 windows_show "$2" "$3" || fail "$1 (no [$3] in windows titled [$2])"
}

case_typical_run_ide() {
    e2e_machine ide E
    open_dialog
    check_eq "current letter list" "[E:]" "$(combo_items 1000)"
    check_eq "new letter list" "$(free_letters)" "$(combo_items 1002)"
    pick_f "first run"
    tool click Quenlath 1003
    close_with 1 "first run"
    # The program waited for the batch file: its call is recorded by the time it ends.
    check_eq "assign.bat calls" "E: F:" "$(wine_batch_calls)"
    wine reg query "$PRODUCT_KEY" /v HideMsg 2>/dev/null | grep -q '0x1' ||
        fail "HideMsg = 1 was not stored in the 32-bit view"

    # The next run skips the notice.
    open_dialog
    tool select Quenlath 1002 G:
    close_with 1 "second run"
    check_eq "assign.bat calls" $'E: F:\nE: G:' "$(wine_batch_calls)"
}

case_usb_drive() {
    e2e_machine usb F
    open_dialog
    check_eq "current letter list" "[F:]" "$(combo_items 1000)"
    close_with 2 Cancel
    check_eq "assign.bat calls after Cancel" "" "$(wine_batch_calls)"
}

case_second_instance() {
    e2e_machine ide E
    open_dialog
    local first=$PROGRAM
    start_program
    wait_ends "$PROGRAM" 20 "the second copy"
    check_eq "windows titled Quenlath" "1" "$(window_count Quenlath)"
    tool click Quenlath 2
    wait_ends "$first" 20 "the first copy"
    start_program
    shows "a new start after both ended showed no main dialog" Quenlath "control id=1000"
    close_with 2 "the third copy"
}

case_no_drive() {
    e2e_machine none E
    start_program
    expect_message_box "The internal optical disc drive is turned off." "no drive" \
        "$SHOTS/en-message-drive-off.png"
}

case_not_administrator() {
    e2e_machine ide E
    start_program "$BIN/windowtool.exe" run restricted
    expect_message_box "Administrator's authority is needed to execute the Quenlath." \
        "restricted token" "$SHOTS/en-message-need-admin.png"
}

# Opens the About box, checks its version label, closes it: the main dialog is usable again.
about_text() { # expected-label
    tool syscommand Quenlath 32989
    shows "the About box did not appear" Quenlath "control id=1006"
    check_eq "About version label" "$1" "$(control_text Quenlath 1006)"
    tool click Quenlath 1
    poll 10 not windows_show Quenlath "control id=1006" || fail "the About box did not close"
    windows_show Quenlath "enabled=1 iconic=0" || fail "the main dialog stayed disabled"
}

case_about_box() {
    e2e_machine ide E
    local version
    for version in "" "V3.02L10 M07"; do
        [ -n "$version" ] && wine reg add "$PRODUCT_KEY" /v VERSION /d "$version" /f >/dev/null 2>&1
        open_dialog
        about_text "${version:-V3.02L10}"
        close_with 2 Cancel
    done
}

# Each language: the texts of its resources, and a screenshot of each dialog.
language_run() { # locale name cancel-text notice-fragment about-title
    LANG=$1 LC_ALL=$1 start_program
    shows "$2: Cancel button does not read [$3]" Quenlath "text=$3"
    screenshot "$SHOTS/$2-main.png" Quenlath
    tool syscommand Quenlath 32989
    shows "$2: no About box" "$5" "control id=1006"
    screenshot "$SHOTS/$2-about.png" "$5"
    check_eq "$2: About version label" "V3.02L10 M00" "$(control_text "$5" 1006)"
    tool click "$5" 1
    poll 10 not windows_show "$5" "control id=1006"
    pick_f "$2"
    windows_show Quenlath "$4" || fail "$2: notice text not in this language"
    screenshot "$SHOTS/$2-notice.png" Quenlath
    close_with 1 "$2 run"
}

case_languages() {
    wine_make_locales
    e2e_machine ide E
    # The installer's version text, which must fit the About box in every language.
    wine reg add "$PRODUCT_KEY" /v VERSION /d "V3.02L10 M00" /f >/dev/null 2>&1
    language_run en_US.UTF-8 en "Cancel" "Windows may perform drive letter reassignment" "Quenlath"
    language_run fr_FR.UTF-8 fr "Annuler" "Windows peut réattribuer" "À propos de « Quenlath »"
    language_run ja_JP.UTF-8 ja "キャンセル" "ドライブ文字を再割り当て" "Quenlath バージョン情報"
    language_run zh_CN.UTF-8 zh "取消" "重新分配驱动器号" "版本信息"
}

# An assign.bat that exits with the code given, or one that runs until C:\go.txt exists.
plant_batch() { # code|wait
    local batch="$WINEPREFIX/drive_c/Program Files (x86)/Korvane/morvessa/assign.bat"
    if [ "$1" = wait ]; then
        printf '@echo off\r\n:again\r\nping -n 2 127.0.0.1 >nul\r\nif not exist C:\\go.txt goto again\r\n' >"$batch"
    else
        printf '@exit /b %s\r\n' "$1" >"$batch"
    fi
}

change_to_f() { # [locale]
    LANG=${1:-C} LC_ALL=${1:-C} open_dialog
    tool select Quenlath 1002 F:
    tool click Quenlath 1
}

# What the user is told after each way the change can end, in English, French and Japanese.
case_change_outcomes() {
    wine_make_locales
    e2e_machine ide E
    wine reg add "$PRODUCT_KEY" /v HideMsg /t REG_DWORD /d 1 /f >/dev/null 2>&1
    local code text locale
    while IFS='|' read -r code locale text; do
        plant_batch "$code"
        change_to_f "$locale"
        expect_message_box "$text" "exit $code" "$SHOTS/${locale:0:2}-outcome-$code.png" over
    done <<'ROWS'
7|en_US.UTF-8|the drive's letter or the chosen letter changed in the meantime
9|en_US.UTF-8|The drive keeps its current letter.
11|en_US.UTF-8|the drive now has no drive letter
11|fr_FR.UTF-8|le lecteur n’a plus de lettre
11|ja_JP.UTF-8|ドライブにドライブ文字がない状態です
13|en_US.UTF-8|ended with an unexpected result
ROWS
}

# The dialog stays up, disabled and answering, while the batch file runs; after 60 s it
# says the change is still running.
case_waits_for_the_change() {
    e2e_machine ide E
    wine reg add "$PRODUCT_KEY" /v HideMsg /t REG_DWORD /d 1 /f >/dev/null 2>&1
    plant_batch wait
    change_to_f
    poll 10 windows_show Quenlath "enabled=0" || fail "the dialog is not disabled while it waits"
    windows_show Quenlath "control id=1000" || fail "the dialog did not stay up"
    windows_show Quenlath "seconds" && fail "a message before the time ran out"
    expect_message_box "is still running after 60 seconds" "time out" "$SHOTS/en-outcome-timeout.png" over
    touch "$WINEPREFIX/drive_c/go.txt"
}

# The main dialog at 96, 144 and 192 DPI: it grows with the setting.
case_dpi() {
    XVFB_SCREEN=1600x1200x24 e2e_machine ide E
    local dpi width
    for dpi in 96 144 192; do
        wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
        open_dialog
        screenshot "$SHOTS/en-main-$dpi.png" '^Quenlath$'
        width=$(identify -format %w "$SHOTS/en-main-$dpi.png" 2>/dev/null)
        # About 590 pixels at 96 DPI; font metrics round, so the growth is not exactly linear.
        [ $((${width:-0} * 96 / dpi)) -ge 530 ] && [ $((${width:-0} * 96 / dpi)) -le 640 ] ||
            fail "$dpi DPI: the dialog is ${width:-no} pixels wide"
        close_with 2 "$dpi DPI"
    done
}

AFTER_EACH_CASE=wine_cleanup
ALL_CASES=(typical_run_ide usb_drive second_instance no_drive not_administrator about_box languages
           change_outcomes waits_for_the_change dpi)
echo "Screenshots go to $SHOTS"
run_cases end-to-end "$@"
