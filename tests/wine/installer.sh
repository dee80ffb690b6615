#!/usr/bin/env bash
# Tests of Quenlath-setup.exe under Wine and Xvfb, on one prefix planted as a machine with
# the supported IDE optical drive at E:. The cases run in order on that machine: a silent
# install, the installed program, installs and uninstalls refused while the program runs
# or a file is locked, a silent uninstall, an uninstall that must keep what is not its own,
# no administrator rights, and the pages in each language.
#   tests/wine/installer.sh <folder with Quenlath-setup.exe, Morvessa.exe and the test tools>
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
suite_start installer "$1"
shift
SETUP=$BIN/Quenlath-setup.exe
SHOTS=$ROOT/build/screenshots
mkdir -p "$SHOTS"
[ -f "$SETUP" ] || { echo "installer: no $SETUP; build the win32 preset with makensis installed" >&2; exit 1; }

# The version the installer must record: the product version of the program's version block.
VERSION=$(sed -n 's/.*VALUE "ProductVersion", *"\([^"]*\)".*/\1/p' "$ROOT/src/res/Morvessa.rc")
UNINSTALL_KEY='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quenlath'
OPTICAL_VOLUME='\\?\Volume{9c41e7a2-5d1e-11ef-8b4c-806e6f6e6963}\'

# The machine: the supported drive at E:, and the mountvol stand-in (Wine has none) knowing
# its volume and the system's, so that the installed assign.bat can run.
CASE=machine
machine installer ide E
C_DRIVE=$WINEPREFIX/drive_c
FOLDER="$C_DRIVE/Program Files (x86)/Korvane/morvessa"
SHORTCUT="$C_DRIVE/ProgramData/Microsoft/Windows/Start Menu/Programs/Quenlath.lnk"
cp "$BIN/mountvol.exe" "$C_DRIVE/windows/system32/mountvol.exe"
mkdir -p "$C_DRIVE/mountvol"
printf 'C:\\ \\\\?\\Volume{3f2a8c10-5d1e-11ef-8b4c-806e6f6e6963}\\\nE:\\ %s\n' "$OPTICAL_VOLUME" \
    >"$C_DRIVE/mountvol/table.txt"

# A registry value as `wine reg query` shows it (wine reg is 32-bit: it sees the view the
# program reads), or nothing.
reg_value() { # key name [/reg:64]
    wine reg query "$1" /v "$2" ${3:-} 2>/dev/null | tr -d '\r' | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"
}
key_exists() { wine reg query "$1" ${2:-} >/dev/null 2>&1; }

# Runs one command line from a batch file, which waits for windowed programs too; STATUS is
# its exit code.
run_line() { # name line
    printf '@%s\r\n' "$2" >"$C_DRIVE/$1.cmd"
    wine cmd /c "C:\\$1.cmd" >/dev/null 2>&1
    STATUS=$?
}
silent_install() { run_line install "\"$(winepath -w "$SETUP")\" /S"; }
# The quiet uninstall command of the installed-programs entry, which waits for the result.
silent_uninstall() { run_line uninstall "$(reg_value "$UNINSTALL_KEY" QuietUninstallString)"; }

# The files, VERSION and the installed-programs entry's version are all in place.
installed() { # what [recorded version]
    check_eq "installed files $1" $'Morvessa.exe\nassign.bat\nuninstall.exe' "$(ls "$FOLDER" 2>/dev/null | LC_ALL=C sort)"
    check_eq "VERSION $1" "${2:-$VERSION}" "$(reg_value "$PRODUCT_KEY" VERSION)"
    check_eq "installed-programs entry's version $1" "${2:-$VERSION}" "$(reg_value "$UNINSTALL_KEY" DisplayVersion)"
}

# ---- Cases -------------------------------------------------------------------------

case_silent_install() {
    silent_install
    check_eq "exit code of a silent install" 0 "$STATUS"
    installed "after a silent install"
    cmp -s "$BIN/Morvessa.exe" "$FOLDER/Morvessa.exe" || fail "the installed Morvessa.exe differs"
    cmp -s "$ROOT/dist/assign.bat" "$FOLDER/assign.bat" || fail "the installed assign.bat differs"
    check_eq "VERSION seen from the 64-bit side" "$VERSION" \
        "$(reg_value 'HKLM\Software\Wow6432Node\Korvane\Morvessa' VERSION /reg:64)"
    key_exists 'HKLM\Software\Korvane' /reg:64 && fail "a Korvane key was written to the 64-bit view"
    local name expected
    while IFS='|' read -r name expected; do
        check_eq "installed-programs entry $name" "$expected" "$(reg_value "$UNINSTALL_KEY" "$name")"
    done <<LIST
DisplayName|Quenlath
Publisher|Korvane
InstallLocation|$PROGRAM_FOLDER
UninstallString|"$PROGRAM_FOLDER\\uninstall.exe"
QuietUninstallString|"$PROGRAM_FOLDER\\uninstall.exe" /S _?=$PROGRAM_FOLDER
NoModify|0x1
NoRepair|0x1
LIST
    [ -f "$SHORTCUT" ] || fail "no Start-menu shortcut for all users"
    grep -qF "$PROGRAM_FOLDER\\Morvessa.exe" <<<"$(strings -a "$SHORTCUT"; strings -a -el "$SHORTCUT")" ||
        fail "the shortcut does not start the installed Morvessa.exe"
}

# The installed program: its About box shows the installed version, and OK moves the
# drive through the installed assign.bat (with the mountvol stand-in).
case_installed_program() {
    MORVESSA=$PROGRAM_FOLDER\\Morvessa.exe open_dialog
    tool syscommand Quenlath 32989
    poll 10 windows_show Quenlath "control id=1006" || fail "the About box did not appear"
    check_eq "About box version" "$VERSION" "$(control_text Quenlath 1006)"
    tool click Quenlath 1
    poll 10 not windows_show Quenlath "control id=1006"
    pick_f "installed program"
    tool click Quenlath 1003
    close_with 1 OK
    table_shows_f() { grep -qxF "F:\\ $OPTICAL_VOLUME" <(tr -d '\r' <"$C_DRIVE/mountvol/table.txt"); }
    poll 15 table_shows_f || fail "the drive did not move to F: ($(cat "$C_DRIVE/mountvol/table.txt"))"
    check_eq "HideMsg after the notice's check box" 0x1 "$(reg_value "$PRODUCT_KEY" HideMsg)"
}

# While the program runs (it holds its mutex), neither an install nor an uninstall starts.
case_program_running() {
    MORVESSA=$PROGRAM_FOLDER\\Morvessa.exe open_dialog
    silent_install
    check_eq "exit code of an install while the program runs" 3 "$STATUS"
    silent_uninstall
    check_eq "exit code of an uninstall while the program runs" 3 "$STATUS"
    close_with 2 Cancel
    installed "after both were refused"
}

# A file that cannot be replaced fails the upgrade, which records nothing (the older
# version stays recorded); one that cannot be removed fails the uninstall, which keeps the
# record.
case_locked_file() {
    local older='V3.02L09 M00'
    wine reg add "$PRODUCT_KEY" /v VERSION /d "$older" /f >/dev/null 2>&1
    wine reg add "$UNINSTALL_KEY" /v DisplayVersion /d "$older" /f >/dev/null 2>&1
    wine "$BIN/windowtool.exe" hold "$PROGRAM_FOLDER\\assign.bat" &
    local holder=$!
    sleep 1
    silent_install
    check_eq "exit code of an upgrade with assign.bat locked" 2 "$STATUS"
    installed "after a failed upgrade" "$older"
    silent_uninstall
    check_eq "exit code of an uninstall with assign.bat locked" 2 "$STATUS"
    check_eq "VERSION after a failed uninstall" "$older" "$(reg_value "$PRODUCT_KEY" VERSION)"
    key_exists "$UNINSTALL_KEY" || fail "a failed uninstall removed the installed-programs entry"
    kill "$holder"
}

# Run in place (_?=), the uninstaller cannot remove itself: Windows does at the restart.
case_silent_uninstall() {
    silent_uninstall
    check_eq "exit code of a silent uninstall" 0 "$STATUS"
    check_eq "files left before the restart" "uninstall.exe" "$(ls "$FOLDER" 2>/dev/null)"
    wineboot -r >/dev/null 2>&1
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
    check_eq "exit code of the second install" 0 "$STATUS"
    wine reg add "$PRODUCT_KEY" /v HideMsg /t REG_DWORD /d 1 /f >/dev/null 2>&1
    wine reg add "$PRODUCT_KEY" /v Kept /d yes /f >/dev/null 2>&1
    printf 'notes\r\n' >"$FOLDER/notes.txt"
    silent_uninstall
    check_eq "values left in the product key" "Kept" \
        "$(wine reg query "$PRODUCT_KEY" 2>/dev/null | tr -d '\r' | awk '/^ +[^ ]+ +REG_/ { print $1 }')"
    check_eq "files left in the program folder" $'notes.txt\nuninstall.exe' "$(ls "$FOLDER" 2>/dev/null)"
    wine reg delete 'HKLM\Software\Korvane' /f >/dev/null 2>&1
    rm -rf "$C_DRIVE/Program Files (x86)/Korvane"
}

# With the Administrators group disabled, nothing is installed; 740 ("elevation required")
# reaches the shell as 740 mod 256. Not silent, the installer says why.
case_not_administrator() {
    wine "$BIN/windowtool.exe" run restricted "$SETUP" /S
    check_eq "exit code without administrator rights" 228 "$?"
    wine "$BIN/windowtool.exe" run restricted "$SETUP" &
    wine_track $!
    wait_window "Installer Language" && tool click "Installer Language" 1
    poll 30 windows_show "Quenlath Setup" "Administrator rights are required to install or uninstall Quenlath." ||
        fail "no message about administrator rights"
    tool click "Quenlath Setup" 1
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
    tool click "Installer Language" 1
    poll 20 windows_show "" "$3" || fail "$2: the welcome page does not show [$3]"
    sleep 1
    screenshot "$SHOTS/installer-$2.png" Quenlath
    kill "$setup" 2>/dev/null
    wait "$setup" 2>/dev/null
}

case_languages() {
    wine_make_locales
    language_run en_US.UTF-8 en "Start it from the Start menu; administrator rights are required."
    language_run fr_FR.UTF-8 fr "Lancez-le depuis le menu Démarrer ; des droits d’administrateur sont nécessaires."
    language_run ja_JP.UTF-8 ja "[スタート] メニューから起動します (管理者権限が必要です)。"
    language_run zh_CN.UTF-8 zh "需由管理员从“开始”菜单启动。"
    [ -e "$C_DRIVE/Program Files (x86)/Korvane" ] && fail "a cancelled installer left files"
}

ALL_CASES=(silent_install installed_program program_running locked_file silent_uninstall
           uninstall_keeps_the_rest not_administrator languages)
echo "Screenshots go to $SHOTS/installer-*.png"
run_cases installer "$@"
