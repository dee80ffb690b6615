#!/usr/bin/env bash
# Tests of Quenlath-setup.exe under Wine and Xvfb, on one prefix planted as a machine with
# the supported IDE optical drive at E:. The cases run in order on that machine: a silent
# install, the installed program, a silent uninstall, an uninstall that must keep what
# is not its own, an install without administrator rights, and the pages in each language.
#   tests/wine/installer.sh <folder with Quenlath-setup.exe, Morvessa.exe and the test tools>
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

BIN=$(cd "$1" && pwd)
shift
ROOT=$(cd "$WINE_LIB_DIR/../.." && pwd)
SETUP=$BIN/Quenlath-setup.exe
SHOTS=$ROOT/build/screenshots
work=$(mktemp -d "${TMPDIR:-/tmp}/quenlath-installer.XXXXXX")
finish() {
    wine_cleanup
    rm -rf "$work"
}
trap finish EXIT
mkdir -p "$SHOTS"



# The version the installer must record: the product version of the program's version block.
VERSION=$(sed -n 's/.*VALUE "ProductVersion", *"\([^"]*\)".*/\1/p' "$ROOT/src/res/Morvessa.rc")

PROGRAM_FOLDER='C:\Program Files (x86)\Korvane\morvessa'
UNINSTALL_KEY='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quenlath'
PRODUCT_KEY='HKLM\Software\Korvane\Morvessa'
OPTICAL_VOLUME='\\?\Volume{9c41e7a2-5d1e-11ef-8b4c-806e6f6e6963}\'
C_DRIVE=""
FOLDER=""
SHORTCUT=""



# A registry value as `wine reg query` shows it (wine reg is 32-bit: it sees the view the
# program reads), or nothing.
reg_value() { # key name [/reg:64]
    wine reg query "$1" /v "$2" ${3:-} 2>/dev/null | tr -d '\r' |
        sed -n "s/^ *$2 *REG_[A-Z_]* *//p"
}
key_exists() { wine reg query "$1" ${2:-} >/dev/null 2>&1; }


wait_gone() { # path seconds
    for _ in $(seq $(($2 * 10))); do
        [ -e "$1" ] || return 0
        sleep 0.1
    done
    return 1
}

# The machine: the supported drive at E: with its mount-table entry, and the mountvol
# stand-in (Wine has none) knowing E:'s volume and the system's, so that the installed
# assign.bat can run.
new_machine() {
    wine_start_xvfb
    export WINEPREFIX="$work/prefix"
    wine_new_prefix "$WINEPREFIX"
    wine_map_cjk_fonts
    wine_plant_drive ide E
    wine_plant_mount_entry E ide
    C_DRIVE=$WINEPREFIX/drive_c
    FOLDER="$C_DRIVE/Program Files (x86)/Korvane/morvessa"
    SHORTCUT="$C_DRIVE/ProgramData/Microsoft/Windows/Start Menu/Programs/Quenlath.lnk"
    cp "$BIN/mountvol.exe" "$C_DRIVE/windows/system32/mountvol.exe"
    mkdir -p "$C_DRIVE/mountvol"
    printf 'C:\\ \\\\?\\Volume{3f2a8c10-5d1e-11ef-8b4c-806e6f6e6963}\\\nE:\\ %s\n' "$OPTICAL_VOLUME" \
        >"$C_DRIVE/mountvol/table.txt"
}

silent_install() {
    wine "$SETUP" /S
    INSTALL_STATUS=$?
}

# Runs the uninstaller silently as the installed-programs entry says, and waits for the
# copy of itself it runs from the temporary folder to finish.
silent_uninstall() {
    local command
    command=$(reg_value "$UNINSTALL_KEY" QuietUninstallString)
    check_eq "quiet uninstall command" "\"$PROGRAM_FOLDER\\uninstall.exe\" /S" "$command"
    wine "$PROGRAM_FOLDER\\uninstall.exe" /S
    wait_gone "$FOLDER/uninstall.exe" 30 || fail "the uninstaller did not remove itself"
    sleep 1
}

# ---- Cases -------------------------------------------------------------------------

case_silent_install() {
    silent_install
    check_eq "exit code of a silent install" 0 "$INSTALL_STATUS"
    check_eq "installed files" $'Morvessa.exe\nassign.bat\nuninstall.exe' \
        "$(ls "$FOLDER" 2>/dev/null | LC_ALL=C sort)"
    cmp -s "$BIN/Morvessa.exe" "$FOLDER/Morvessa.exe" || fail "the installed Morvessa.exe differs"
    cmp -s "$ROOT/dist/assign.bat" "$FOLDER/assign.bat" || fail "the installed assign.bat differs"

    check_eq "VERSION in the 32-bit view" "$VERSION" "$(reg_value "$PRODUCT_KEY" VERSION)"
    check_eq "VERSION seen from the 64-bit side" "$VERSION" \
        "$(reg_value 'HKLM\Software\Wow6432Node\Korvane\Morvessa' VERSION /reg:64)"
    key_exists 'HKLM\Software\Korvane' /reg:64 && fail "a Korvane key was written to the 64-bit view"

    local name expected
    while IFS='|' read -r name expected; do
        check_eq "installed-programs entry $name" "$expected" "$(reg_value "$UNINSTALL_KEY" "$name")"
    done <<LIST
DisplayName|Quenlath
DisplayVersion|$VERSION
Publisher|Korvane
InstallLocation|$PROGRAM_FOLDER
UninstallString|"$PROGRAM_FOLDER\\uninstall.exe"
NoModify|0x1
NoRepair|0x1
LIST

    [ -f "$SHORTCUT" ] || fail "no Start-menu shortcut for all users"
    local texts
    texts=$(strings -a "$SHORTCUT"; strings -a -el "$SHORTCUT")
    grep -qF "$PROGRAM_FOLDER\\Morvessa.exe" <<<"$texts" ||
        fail "the shortcut does not start the installed Morvessa.exe"
}

# The installed program: its About box shows the installed version, and OK moves the
# drive through the installed assign.bat (with the mountvol stand-in).
case_installed_program() {
    wine "$PROGRAM_FOLDER\\Morvessa.exe" &
    local program=$!
    wine_track "$program"
    wait_window Quenlath || fail "the main dialog did not appear"
    tool syscommand Quenlath 32989
    sleep 1
    windows_show Quenlath "control id=1006" || fail "the About box did not appear"
    check_eq "About box version" "$VERSION" "$(control_text Quenlath 1006)"
    tool click Quenlath 1
    sleep 1
    tool select Quenlath 1002 F:
    tool click Quenlath 1
    sleep 1
    windows_show Quenlath "control id=1003" || fail "the notice did not appear"
    tool click Quenlath 1003
    tool click Quenlath 1
    wait_ends "$program" 20 "Morvessa.exe"
    local table
    for _ in $(seq 150); do
        table=$(tr -d '\r' <"$C_DRIVE/mountvol/table.txt")
        grep -qxF "F:\\ $OPTICAL_VOLUME" <<<"$table" && break
        sleep 0.1
    done
    grep -qxF "F:\\ $OPTICAL_VOLUME" <<<"$table" || fail "the drive did not move to F: ($table)"
    check_eq "HideMsg after the notice's check box" 0x1 "$(reg_value "$PRODUCT_KEY" HideMsg)"
}

case_silent_uninstall() {
    silent_uninstall
    [ -e "$C_DRIVE/Program Files (x86)/Korvane" ] && fail "the Korvane program folder is left"
    [ -e "$SHORTCUT" ] && fail "the shortcut is left"
    key_exists "$UNINSTALL_KEY" && fail "the installed-programs entry is left"
    key_exists 'HKLM\Software\Korvane' && fail "the Korvane registry key is left"
    key_exists 'HKLM\Software\Wow6432Node\Korvane' /reg:64 && fail "the Korvane key is left (64-bit side)"
}

# What the uninstaller did not make stays: a value in the product key and a file in the
# program folder; only its own values and files go.
case_uninstall_keeps_the_rest() {
    silent_install
    check_eq "exit code of the second install" 0 "$INSTALL_STATUS"
    wine reg add "$PRODUCT_KEY" /v HideMsg /t REG_DWORD /d 1 /f >/dev/null 2>&1
    wine reg add "$PRODUCT_KEY" /v Kept /d yes /f >/dev/null 2>&1
    printf 'notes\r\n' >"$FOLDER/notes.txt"
    silent_uninstall
    check_eq "values left in the product key" "Kept" \
        "$(wine reg query "$PRODUCT_KEY" 2>/dev/null | tr -d '\r' | awk '/^ +[^ ]+ +REG_/ { print $1 }')"
    check_eq "files left in the program folder" "notes.txt" "$(ls "$FOLDER" 2>/dev/null)"
    wine reg delete 'HKLM\Software\Korvane' /f >/dev/null 2>&1
    rm -rf "$C_DRIVE/Program Files (x86)/Korvane"
}

# With the Administrators group disabled, nothing is installed; 740 ("elevation
# required") reaches the shell as 740 mod 256.
case_not_administrator() {
    wine "$BIN/windowtool.exe" run restricted "$SETUP" /S
    check_eq "exit code without administrator rights" 228 "$?"
    [ -e "$C_DRIVE/Program Files (x86)/Korvane" ] && fail "files were installed"
    key_exists "$PRODUCT_KEY" && fail "VERSION was written"
    key_exists "$UNINSTALL_KEY" && fail "an installed-programs entry was written"
}

# Each language: the language dialog offers it first, and the welcome page shows the
# installer's own text in it. A screenshot of each welcome page goes to build/screenshots.
language_run() { # locale name fragment-of-the-welcome-text
    LANG=$1 LC_ALL=$1 wine "$SETUP" &
    local setup=$!
    wine_track "$setup"
    wait_window "Installer Language" || fail "$2: no language dialog"
    sleep 1
    tool click "Installer Language" 1
    local found=""
    for _ in $(seq 100); do
        windows_show "" "$3" && found=1 && break
        sleep 0.2
    done
    [ -n "$found" ] || fail "$2: the welcome page does not show [$3]"
    sleep 1
    local window
    window=$(xdotool search --onlyvisible --name 'Quenlath' 2>/dev/null | tail -1)
    import -window "${window:-root}" "$SHOTS/installer-$2.png" 2>/dev/null
    kill "$setup" 2>/dev/null
    wait "$setup" 2>/dev/null
}

case_languages() {
    wine_make_locales
    language_run en_US.UTF-8 en "changes the drive letter of the computer's internal optical disc drive"
    language_run fr_FR.UTF-8 fr "change la lettre du lecteur de disque optique interne"
    language_run ja_JP.UTF-8 ja "内蔵光ディスク ドライブのドライブ文字を変更します"
    language_run zh_CN.UTF-8 zh "更改计算机内置光盘驱动器的驱动器号"
    [ -e "$C_DRIVE/Program Files (x86)/Korvane" ] && fail "a cancelled installer left files"
}

ALL_CASES=(silent_install installed_program silent_uninstall uninstall_keeps_the_rest
           not_administrator languages)

if [ ! -f "$SETUP" ]; then
    echo "installer: $SETUP is missing; build the win32 preset with makensis installed" >&2
    echo "installer: 0 passed, 1 failed"
    exit 1
fi
started=$SECONDS
new_machine
echo "installer: machine ready in $((SECONDS - started)) s"
echo "Screenshots go to $SHOTS/installer-*.png"
run_cases installer "$@"
