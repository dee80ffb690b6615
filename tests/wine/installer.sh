#!/usr/bin/env bash
# Tests of Quenlath-setup.exe under Wine and Xvfb, on one prefix planted as a machine with
# the supported IDE optical drive at E:. The cases run in order on that machine: a silent
# install, the installed program, installs and uninstalls refused while the program runs
# or a file is locked, a silent uninstall, an uninstall that must keep what is not its own,
# no administrator rights, and the pages in each language.
#   tests/wine/installer.sh <folder with Quenlath-setup.exe, Morvessa.exe and the test tools>
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
suite_start installer "$1"
SETUP=$BIN/Quenlath-setup.exe
[ -f "$SETUP" ] || { echo "installer: no $SETUP; build the win32 preset with makensis installed" >&2; exit 1; }

# The version the installer must record: the product version of the program's version block.
VERSION=$(sed -n 's/.*VALUE "ProductVersion", *"\([^"]*\)".*/\1/p' "$ROOT/src/res/Morvessa.rc")
UNINSTALL_KEY='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quenlath'
OPTICAL_VOLUME='\\?\Volume{9c41e7a2-5d1e-11ef-8b4c-806e6f6e6963}\'

# The machine: the supported drive at E:, and the mountvol stand-in (Wine has none) knowing
# its volume and the system's, so that the installed assign.bat can run.
machine ide E
C_DRIVE=$WINEPREFIX/drive_c
FOLDER="$C_DRIVE/Program Files (x86)/Korvane/morvessa"
SHORTCUT="$C_DRIVE/ProgramData/Microsoft/Windows/Start Menu/Programs/Quenlath.lnk"
cp "$BIN/mountvol.exe" "$C_DRIVE/windows/system32/mountvol.exe"
mkdir -p "$C_DRIVE/mountvol"
printf 'C:\\ \\\\?\\Volume{3f2a8c10-5d1e-11ef-8b4c-806e6f6e6963}\\\nE:\\ %s\n' "$OPTICAL_VOLUME" >"$C_DRIVE/mountvol/table.txt"

key_exists() { wine reg query "$1" >/dev/null 2>&1; }

# A silent install, or the quiet uninstall command of the installed-programs entry, run
# from a batch file, which waits for windowed programs too: its exit code must be the one
# given.
silent() { # install|uninstall expected-status what
    local line="\"$(winepath -w "$SETUP")\" /S"
    [ "$1" = install ] || line=$(reg_value "$UNINSTALL_KEY" QuietUninstallString)
    printf '@%s\r\n' "$line" >"$C_DRIVE/$1.cmd"
    wine cmd /c "C:\\$1.cmd" >/dev/null 2>&1
    check_eq "exit code of $3" "$2" "$?"
}

# The files, VERSION and the installed-programs entry's version are all in place.
installed() { # what [recorded version]
    check_eq "installed files $1" $'Morvessa.exe\nassign.bat\nuninstall.exe' "$(ls "$FOLDER" 2>/dev/null | LC_ALL=C sort)"
    check_eq "VERSION $1" "${2:-$VERSION}" "$(reg_value "$PRODUCT_KEY" VERSION)"
    check_eq "installed-programs entry's version $1" "${2:-$VERSION}" "$(reg_value "$UNINSTALL_KEY" DisplayVersion)"
}

# What is left of an installation: the Korvane folder, the shortcut, the installed-programs
# entry and the company key (of the 32-bit view, where the installer writes).
installation_left() {
    [ -e "${FOLDER%/*}" ] && echo "Korvane folder"
    [ -e "$SHORTCUT" ] && echo shortcut
    key_exists "$UNINSTALL_KEY" && echo "installed-programs entry"
    key_exists 'HKLM\Software\Korvane' && echo "Korvane key"
}

# ---- Cases -------------------------------------------------------------------------

case_silent_install() {
    silent install 0 "a silent install"
    installed "after a silent install"
    cmp -s "$BIN/Morvessa.exe" "$FOLDER/Morvessa.exe" || fail "the installed Morvessa.exe differs"
    cmp -s "$ROOT/dist/assign.bat" "$FOLDER/assign.bat" || fail "the installed assign.bat differs"
    # (Every silent uninstall below runs the entry's QuietUninstallString.)
    local name expected
    while IFS='|' read -r name expected; do
        check_eq "installed-programs entry $name" "$expected" "$(reg_value "$UNINSTALL_KEY" "$name")"
    done <<LIST
DisplayName|Quenlath
Publisher|Korvane
InstallLocation|$PROGRAM_FOLDER
UninstallString|"$PROGRAM_FOLDER\\uninstall.exe"
NoModify|0x1
NoRepair|0x1
LIST
    grep -qF "$PROGRAM_FOLDER\\Morvessa.exe" <<<"$(strings -a "$SHORTCUT"; strings -a -el "$SHORTCUT")" ||
        fail "no Start-menu shortcut for all users that starts the installed Morvessa.exe"
}

# The installed program: its About box shows the installed version, and OK moves the
# drive through the installed assign.bat (with the mountvol stand-in).
case_installed_program() {
    EXE=$PROGRAM_FOLDER\\Morvessa.exe open_dialog
    check_about Quenlath "$VERSION"
    pick_f "installed program"
    tool click Quenlath 1003
    close_with 1 OK
    poll 15 grep -qF "F:\\ $OPTICAL_VOLUME" "$C_DRIVE/mountvol/table.txt" ||
        fail "the drive did not move to F: ($(cat "$C_DRIVE/mountvol/table.txt"))"
    check_eq "HideMsg after the notice's check box" 0x1 "$(reg_value "$PRODUCT_KEY" HideMsg)"
}

# While the program runs (it holds its mutex), neither an install nor an uninstall starts.
case_program_running() {
    EXE=$PROGRAM_FOLDER\\Morvessa.exe open_dialog
    silent install 3 "an install while the program runs"
    silent uninstall 3 "an uninstall while the program runs"
    close_with 2 Cancel
    installed "after both were refused"
}

# A file that cannot be replaced fails the upgrade, which records nothing (the older
# version stays recorded); one that cannot be removed fails the uninstall, which keeps the
# record.
case_locked_file() {
    local older='V3.02L09 M00'
    wine_reg add "$PRODUCT_KEY" /v VERSION /d "$older"
    wine_reg add "$UNINSTALL_KEY" /v DisplayVersion /d "$older"
    # The window tool keeps assign.bat open, shared for reading only.
    EXE=$PROGRAM_FOLDER\\assign.bat start_program "$BIN/windowtool.exe" hold
    sleep 1
    silent install 2 "an upgrade with assign.bat locked"
    installed "after a failed upgrade" "$older"
    silent uninstall 2 "an uninstall with assign.bat locked"
    check_eq "VERSION after a failed uninstall" "$older" "$(reg_value "$PRODUCT_KEY" VERSION)"
    key_exists "$UNINSTALL_KEY" || fail "a failed uninstall removed the installed-programs entry"
    kill "$PROGRAM"
}

# Run in place (_?=), the uninstaller cannot remove itself: Windows does at the restart.
case_silent_uninstall() {
    silent uninstall 0 "a silent uninstall"
    check_eq "files left before the restart" "uninstall.exe" "$(ls "$FOLDER" 2>/dev/null)"
    wineboot -r >/dev/null 2>&1
    check_eq "left after the restart" "" "$(installation_left)"
}

# What the uninstaller did not make stays: a value in the product key and a file in the
# program folder; only its own values and files go.
case_uninstall_keeps_the_rest() {
    silent install 0 "the second install"
    wine_reg add "$PRODUCT_KEY" /v HideMsg /t REG_DWORD /d 1
    wine_reg add "$PRODUCT_KEY" /v Kept /d yes
    printf 'notes\r\n' >"$FOLDER/notes.txt"
    silent uninstall 0 "an uninstall"
    check_eq "values left in the product key" "Kept" \
        "$(wine reg query "$PRODUCT_KEY" 2>/dev/null | tr -d '\r' | awk '/^ +[^ ]+ +REG_/ { print $1 }')"
    check_eq "files left in the program folder" $'notes.txt\nuninstall.exe' "$(ls "$FOLDER" 2>/dev/null)"
    wine_reg delete 'HKLM\Software\Korvane'
    rm -rf "${FOLDER%/*}"
}

# With the Administrators group disabled, nothing is installed; 740 ("elevation required")
# reaches the shell as 740 mod 256. Not silent, the installer says why.
case_not_administrator() {
    wine "$BIN/windowtool.exe" run restricted "$SETUP" /S
    check_eq "exit code without administrator rights" 228 "$?"
    EXE=$SETUP start_program "$BIN/windowtool.exe" run restricted
    wait_window "Installer Language" && tool click "Installer Language" 1
    shows "no message about administrator rights" "Quenlath Setup" \
        "Administrator rights are required to install or uninstall Quenlath."
    tool click "Quenlath Setup" 1
    check_eq "left without administrator rights" "" "$(installation_left)"
}

# Each language: the language dialog offers it first, and the welcome page shows the
# installer's own text in it. A screenshot of each welcome page goes to build/screenshots.
case_languages() {
    local locale name welcome
    while IFS='|' read -r locale name _ _ _ _ welcome; do
        LANG=$locale LC_ALL=$locale EXE=$SETUP start_program
        wait_window "Installer Language" || fail "$name: no language dialog"
        tool click "Installer Language" 1
        poll 20 windows_show "" "$welcome" || fail "$name: the welcome page does not show [$welcome]"
        sleep 1
        screenshot "$SHOTS/installer-$name.png" Quenlath
        kill "$PROGRAM" && wait "$PROGRAM" 2>/dev/null
    done < <(languages)
    check_eq "left by cancelled installers" "" "$(installation_left)"
}

run_cases installer "${@:2}"
