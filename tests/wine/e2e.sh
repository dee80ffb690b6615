#!/usr/bin/env bash
# End-to-end tests: the real Morvessa.exe under Wine and Xvfb, on prefixes planted
# as machines with a supported optical drive, driven from outside with the probe.
#   tests/wine/e2e.sh <folder with Morvessa.exe and the test tools> [case...]
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
source "$WINE_LIB_DIR/harness.sh"

BIN=$(cd "$1" && pwd)
shift
ROOT=$(cd "$WINE_LIB_DIR/../.." && pwd)
WORK=${E2E_WORK:-$ROOT/build/e2e}
SHOTS=$ROOT/build/screenshots
TEMPLATE=$WORK/template-prefix
mkdir -p "$WORK" "$SHOTS"
trap wine_cleanup EXIT






# Polls the recording batch file's output.
wait_batch_calls() { # expected seconds
    for _ in $(seq $(($2 * 10))); do
        [ "$(wine_batch_calls)" = "$1" ] && return 0
        sleep 0.1
    done
    check_eq "assign.bat calls" "$1" "$(wine_batch_calls)"
}

# Letters C: to Z: that no DOS device names in this prefix: what the new list must hold.
free_letters() {
    local letter list=""
    for letter in {c..y} z; do
        [ -e "$WINEPREFIX/dosdevices/$letter:" ] || [ -L "$WINEPREFIX/dosdevices/$letter:" ] ||
            list+="[${letter^^}:]"
    done
    echo "$list"
}


combo_items() { # control id
    local listing
    listing=$(probe list Quenlath)
    grep -m1 "control id=$1 " <<<"$listing" | sed 's/.*items=//'
}

# A machine: a fresh prefix with Xvfb, optionally a supported drive with its mount
# entry, and a recording assign.bat.
machine() { # ide|usb|none letter
    wine_start_xvfb
    export WINEPREFIX="$WORK/prefix-$CASE"
    wine_new_prefix "$WINEPREFIX" "$TEMPLATE"
    wine_map_cjk_fonts
    if [ "$1" != none ]; then
        wine_plant_drive "$1" "$2"
        wine_plant_mount_entry "$2" "$1"
    else
        WINEPREFIX="$WINEPREFIX" wineserver -p
    fi
    wine_plant_recording_batch
}

# A screenshot of the newest visible window with that title (there is no window manager
# under Xvfb, so no frame or caption is drawn around it).
screenshot() { # name title
    local window
    window=$(xdotool search --onlyvisible --name "^$2\$" 2>/dev/null | tail -1)
    if [ -n "$window" ]; then
        import -window "$window" "$SHOTS/$1.png"
    else
        fail "no window titled [$2] to take a screenshot of"
    fi
}

# ---- Cases -------------------------------------------------------------------------

case_typical_run_ide() {
    machine ide E
    start_program
    probe wait Quenlath 30 || fail "main dialog did not appear"
    check_eq "current letter list" "[E:]" "$(combo_items 1000)"
    check_eq "new letter list" "$(free_letters)" "$(combo_items 1002)"
    probe select Quenlath 1002 F:
    probe click Quenlath 1
    sleep 1
    windows_show Quenlath "control id=1003" || fail "the notice did not appear"
    probe click Quenlath 1003
    probe click Quenlath 1
    wait_ends "$PROGRAM" 20 "Morvessa.exe"
    wait_batch_calls "E: F:" 15
    local hide_msg
    hide_msg=$(wine reg query 'HKLM\Software\Korvane\Morvessa' /v HideMsg 2>/dev/null)
    grep -q '0x1' <<<"$hide_msg" ||
        fail "HideMsg = 1 was not stored in the 32-bit view"

    # The next run skips the notice.
    start_program
    probe wait Quenlath 30 || fail "main dialog did not appear again"
    probe select Quenlath 1002 G:
    probe click Quenlath 1
    wait_ends "$PROGRAM" 20 "Morvessa.exe (second run)"
    wait_batch_calls $'E: F:\nE: G:' 15
}

case_usb_drive() {
    machine usb F
    start_program
    probe wait Quenlath 30 || fail "main dialog did not appear"
    check_eq "current letter list" "[F:]" "$(combo_items 1000)"
    probe click Quenlath 2
    wait_ends "$PROGRAM" 20 "Morvessa.exe"
    check_eq "assign.bat calls after Cancel" "" "$(wine_batch_calls)"
}

case_second_instance() {
    machine ide E
    start_program
    local first=$PROGRAM
    probe wait Quenlath 30 || fail "main dialog did not appear"
    start_program
    wait_ends "$PROGRAM" 20 "the second copy"
    check_eq "windows titled Quenlath" "1" "$(probe count Quenlath)"
    probe click Quenlath 2
    wait_ends "$first" 20 "the first copy"
    start_program
    probe wait Quenlath 30 || fail "a new start after both ended showed no dialog"
    windows_show Quenlath "control id=1000" || fail "the new start showed no main dialog"
    probe click Quenlath 2
    wait_ends "$PROGRAM" 20 "the third copy"
}

expect_message_box() { # text-fragment what
    probe wait Quenlath 30 || fail "no message box for $2"
    local windows
    windows=$(probe list Quenlath)
    grep -qF -- "$1" <<<"$windows" || fail "$2: message box text missing [$1]"
    if grep -q "control id=1000" <<<"$windows"; then
        fail "$2: the main dialog opened"
    fi
    screenshot "en-message-$3" Quenlath
    probe click Quenlath 1
}

case_no_drive() {
    machine none E
    start_program
    expect_message_box "The internal optical disc drive is turned off." "no drive" drive-off
    wait_ends "$PROGRAM" 20 "Morvessa.exe"
}

case_not_administrator() {
    machine ide E
    start_program "$BIN/runrestricted.exe"
    expect_message_box "Administrator's authority is needed to execute the Quenlath." \
        "restricted token" need-admin
    wait_ends "$PROGRAM" 20 "Morvessa.exe"
}

about_text() { # expected label
    probe syscommand Quenlath 32989
    sleep 1
    windows_show Quenlath "control id=1006" || fail "the About box did not appear"
    check_eq "About version label" "$1" "$(probe text Quenlath 1006)"
    probe click Quenlath 1
    sleep 1
    if windows_show Quenlath "control id=1006"; then
        fail "the About box did not close"
    fi
    windows_show Quenlath "enabled=1 iconic=0" || fail "the main dialog stayed disabled"
}

case_about_box() {
    machine ide E
    start_program
    probe wait Quenlath 30 || fail "main dialog did not appear"
    about_text "V3.02L10"
    probe click Quenlath 2
    wait_ends "$PROGRAM" 20 "Morvessa.exe"

    wine reg add 'HKLM\Software\Korvane\Morvessa' /v VERSION /d 'V3.02L10 M07' /f >/dev/null 2>&1
    start_program
    probe wait Quenlath 30 || fail "main dialog did not appear"
    about_text "V3.02L10 M07"
    probe click Quenlath 2
    wait_ends "$PROGRAM" 20 "Morvessa.exe"
}

# Each language: the texts of its resources, and a screenshot of each dialog.
language_run() { # locale prefix cancel-text notice-fragment about-title
    LANG=$1 LC_ALL=$1 start_program
    probe wait Quenlath 30 || fail "$2: main dialog did not appear"
    sleep 1
    windows_show Quenlath "text=$3" || fail "$2: Cancel button does not read [$3]"
    screenshot "$2-main" Quenlath
    probe syscommand Quenlath 32989
    sleep 1
    windows_show "$5" "control id=1006" || fail "$2: no About box titled [$5]"
    screenshot "$2-about" "$5"
    probe click "$5" 1
    sleep 1
    probe select Quenlath 1002 F:
    probe click Quenlath 1
    sleep 1
    windows_show Quenlath "$4" || fail "$2: notice text not in this language"
    screenshot "$2-notice" Quenlath
    probe click Quenlath 1
    wait_ends "$PROGRAM" 20 "$2 run"
}

case_languages() {
    wine_make_locales
    machine ide E
    # assign.bat records each run; this case looks only at the dialogs.
    language_run en_US.UTF-8 en "Cancel" "Windows may perform drive letter reassignment" "Quenlath"
    language_run fr_FR.UTF-8 fr "Annuler" "Windows peut réattribuer" "À propos de « Quenlath »"
    language_run ja_JP.UTF-8 ja "キャンセル" "ドライブ文字を再割り当て" "Quenlath バージョン情報"
    language_run zh_CN.UTF-8 zh "取消" "重新分配驱动器号" "版本信息"
}

AFTER_EACH_CASE=wine_cleanup
ALL_CASES=(typical_run_ide usb_drive second_instance no_drive not_administrator about_box languages)

echo "Screenshots go to $SHOTS"
run_cases end-to-end "$@"
status=$?
rm -rf "$TEMPLATE"
exit $status
