#!/usr/bin/env bash
# Tests of Quenlath-setup.exe under Wine and Xvfb. Each case starts on a machine of its own
# (the supported IDE optical drive at E: where the installed program must run) and installs
# what it needs, so that any case can run alone: a silent install and what it asks of the
# security API, the installed program, installs and uninstalls refused while the program
# runs or a file is locked, no downgrade unless allowed, a silent uninstall, an uninstall
# that must keep what is not its own, no administrator rights, and the pages in each
# language.
#   tests/wine/installer.sh <folder with Quenlath-setup.exe, Morvessa.exe and the test tools> [case...]
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
suite_start installer "$1"
SETUP=$BIN/Quenlath-setup.exe
[ -f "$SETUP" ] || { echo "installer: no $SETUP; build the win32 preset with makensis installed" >&2; exit 1; }

# The version the installer must record: the product version of the program's version block.
VERSION=$(sed -n 's/.*VALUE "ProductVersion", *"\([^"]*\)".*/\1/p' "$ROOT/src/res/Morvessa.rc")
read -r VERSION_MAJOR VERSION_MINOR < <(sed -n 's/^ *PRODUCTVERSION \([0-9]*\), *\([0-9]*\),.*/\1 \2/p' "$ROOT/src/res/Morvessa.rc")
UNINSTALL_KEY='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quenlath'
OPTICAL_VOLUME='\\?\Volume{9c41e7a2-5d1e-11ef-8b4c-806e6f6e6963}\'

# A machine with the drive at E: (none unless asked for), and the mountvol stand-in (Wine
# has none) knowing its volume and the system's, so that the installed assign.bat can run.
setup_machine() { # [ide]
    machine "${1:-none}" E
    C_DRIVE=$WINEPREFIX/drive_c
    FOLDER="$C_DRIVE/Program Files (x86)/Korvane/morvessa"
    SHORTCUT="$C_DRIVE/ProgramData/Microsoft/Windows/Start Menu/Programs/Quenlath.lnk"
    cp "$BIN/mountvol.exe" "$C_DRIVE/windows/system32/mountvol.exe"
    mkdir -p "$C_DRIVE/mountvol"
    printf 'C:\\ \\\\?\\Volume{3f2a8c10-5d1e-11ef-8b4c-806e6f6e6963}\\\nE:\\ %s\n' "$OPTICAL_VOLUME" >"$C_DRIVE/mountvol/table.txt"
}
installed_machine() { setup_machine "$@" && silent install 0 "the install the case starts from"; }

# An installer of another version, built like the real one, with the same files.
other_setup() { # version-numbers version-text file
    makensis -V1 -INPUTCHARSET UTF8 "-DVERSION=$2" "-DVERSION_NUMBERS=$1" "-DMORVESSA_EXE=$BIN/Morvessa.exe" \
        "-DASSIGN_BAT=$ROOT/dist/assign.bat" "-DICON=$ROOT/src/res/Morvessa.ico" "-DOUTFILE=$3" \
        "$ROOT/dist/Quenlath.nsi" >/dev/null || fail "makensis could not build $3"
}

key_exists() { wine reg query "$1" >/dev/null 2>&1; }

# A silent install (of SETUP, with the options given), or the quiet uninstall command of
# the installed-programs entry, run from a batch file, which waits for windowed programs
# too: its exit code must be the one given (a code above 255 reaches the shell mod 256).
silent() { # install|uninstall expected-status what [option]
    local line="\"$(winepath -w "$SETUP")\" /S${4:+ $4}"
    [ "$1" = install ] || line=$(reg_value "$UNINSTALL_KEY" QuietUninstallString)
    printf '@%s\r\n' "$line" >"$C_DRIVE/$1.cmd"
    wine cmd /c "C:\\$1.cmd" >/dev/null 2>&1
    check_eq "exit code of $3" "$(($2 % 256))" "$?"
}

# The files, VERSION and the installed-programs entry's version are all in place.
installed() { # what [recorded version]
    check_eq "installed files $1" $'Morvessa.exe\nassign.bat\nlock\nuninstall.exe' "$(ls "$FOLDER" 2>/dev/null | LC_ALL=C sort)"
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

# What the install asked SetNamedSecurityInfoW for, as Wine's trace shows it (Wine keeps
# no DACLs on files, so they cannot be read back): one line per call with the path, the
# SDDL converted just before, and whether the DACL was set protected or inheriting, each
# with the owner.
security_asked() { # trace-file
    awk '/:ConvertStringSecurityDescriptorToSecurityDescriptorW / { split($0, q, "\""); sddl = q[2] }
         /:SetNamedSecurityInfoW / {
             split($0, q, "\""); split(q[3], a, " "); gsub(/\\\\/, "\\", q[2])
             parts = a[2] == -2147483643 ? "protected" : a[2] == 536870917 ? "inherited" : "parts " a[2]
             if (a[3] == "00000000" || a[5] == "00000000") parts = parts " without owner or DACL"
             print q[2] "|" sddl "|" parts }' "$1"
}

# ---- Cases -------------------------------------------------------------------------

# The owners and DACLs asked for, in this order: the company folder before anything below it.
SECURITY_ASKED='C:\Program Files (x86)\Korvane|O:BAD:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)|protected
C:\Program Files (x86)\Korvane\morvessa|O:BAD:AI|inherited
C:\Program Files (x86)\Korvane\morvessa\lock|O:BAD:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)|protected
C:\Program Files (x86)\Korvane\morvessa\Morvessa.exe|O:BAD:AI|inherited
C:\Program Files (x86)\Korvane\morvessa\assign.bat|O:BAD:PAI(A;;FA;;;SY)(A;;FA;;;BA)|protected
C:\Program Files (x86)\Korvane\morvessa\uninstall.exe|O:BAD:AI|inherited'

# The install also meets a program folder made before it, with its files hard links to a
# file that must stay as it was (where Program Files lets users write, a user could plant
# them, linked to a file they may read but not write): it writes new files instead.
case_silent_install() {
    local name expected
    setup_machine
    mkdir -p "$FOLDER"
    printf 'linked\r\n' >"$C_DRIVE/linked.txt"
    for name in Morvessa.exe assign.bat uninstall.exe; do ln "$C_DRIVE/linked.txt" "$FOLDER/$name"; done
    WINEDEBUG=trace+security,trace+advapi wine "$SETUP" /S 2>"$WORK/trace.txt"
    check_eq "exit code of a silent install" 0 "$?"
    check_eq "owners and DACLs set" "$SECURITY_ASKED" "$(security_asked "$WORK/trace.txt")"
    installed "after a silent install"
    check_eq "the file the planted links share" linked "$(tr -d '\r' <"$C_DRIVE/linked.txt")"
    cmp -s "$BIN/Morvessa.exe" "$FOLDER/Morvessa.exe" || fail "the installed Morvessa.exe differs"
    cmp -s "$ROOT/dist/assign.bat" "$FOLDER/assign.bat" || fail "the installed assign.bat differs"
    # (The uninstall cases run the entry's QuietUninstallString.)
    while IFS='|' read -r name expected; do
        check_eq "installed-programs entry $name" "$expected" "$(reg_value "$UNINSTALL_KEY" "$name")"
    done <<LIST
DisplayName|Quenlath
Publisher|Korvane
InstallLocation|$PROGRAM_FOLDER
UninstallString|"$PROGRAM_FOLDER\\uninstall.exe"
VersionMajor|$(printf '0x%x' "$VERSION_MAJOR")
VersionMinor|$(printf '0x%x' "$VERSION_MINOR")
NoModify|0x1
NoRepair|0x1
LIST
    grep -qF "$PROGRAM_FOLDER\\Morvessa.exe" <<<"$(strings -a "$SHORTCUT"; strings -a -el "$SHORTCUT")" ||
        fail "no Start-menu shortcut for all users that starts the installed Morvessa.exe"
}

# The installed program: its About box shows the installed version, and OK moves the
# drive through the installed assign.bat (with the mountvol stand-in).
case_installed_program() {
    installed_machine ide
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
    installed_machine ide
    EXE=$PROGRAM_FOLDER\\Morvessa.exe open_dialog
    silent install 3 "an install while the program runs"
    silent uninstall 3 "an uninstall while the program runs"
    close_with 2 Cancel
    installed "after both were refused"
}

# A file that cannot be replaced fails the upgrade, which records nothing (the older
# version stays recorded). A change in progress holds the lock file: the uninstall then
# removes nothing; a program file that cannot be removed fails it, and the record stays.
case_locked_file() {
    installed_machine
    local older='V3.02L09 M00' holder
    wine_reg add "$PRODUCT_KEY" /v VERSION /d "$older"
    wine_reg add "$UNINSTALL_KEY" /v DisplayVersion /d "$older"
    # The window tool keeps the file open, shared for reading only.
    : >"$FOLDER/lock/assign.lock"
    EXE=$PROGRAM_FOLDER\\lock\\assign.lock start_program "$BIN/windowtool.exe" hold
    holder=$PROGRAM
    EXE=$PROGRAM_FOLDER\\assign.bat start_program "$BIN/windowtool.exe" hold
    sleep 1
    silent install 2 "an upgrade with assign.bat locked"
    installed "after a failed upgrade" "$older"
    silent uninstall 2 "an uninstall while a change holds the lock file"
    installed "after an uninstall during a change" "$older"
    kill "$holder"
    wait_ends "$holder" 10 "the lock file's holder"
    silent uninstall 2 "an uninstall with assign.bat locked"
    check_eq "VERSION after a failed uninstall" "$older" "$(reg_value "$PRODUCT_KEY" VERSION)"
    key_exists "$UNINSTALL_KEY" || fail "a failed uninstall removed the installed-programs entry"
    kill "$PROGRAM"
}

# An older setup over a newer installed version: a silent one refuses (exit 4) and changes
# nothing unless /ALLOWDOWNGRADE is given; an interactive one asks, and No changes nothing.
# Of the two older setups one is older in the build number, the other in the minor version
# with a later build number, so that neither half of the version decides alone.
case_downgrade() {
    installed_machine
    other_setup 3.2.999.0 'V3.02L09 M00' "$WORK/older-build.exe"
    other_setup 3.1.2000.0 'V3.01L20 M00' "$WORK/older-minor.exe"
    printf 'kept\r\n' >"$FOLDER/assign.bat"
    SETUP=$WORK/older-build.exe silent install 4 "a silent downgrade"
    EXE=$WORK/older-minor.exe start_program
    wait_window "Installer Language" && tool click "Installer Language" 1
    shows "no question before the downgrade" "Quenlath Setup" "A newer version of Quenlath is installed"
    tool click "Quenlath Setup" 7
    wait_ends "$PROGRAM" 20 "setup after No"
    kill "$PROGRAM" 2>/dev/null # (when it did not ask)
    wait "$PROGRAM"
    check_eq "exit code after No" 4 "$?"
    check_eq "assign.bat after both were refused" kept "$(tr -d '\r' <"$FOLDER/assign.bat")"
    installed "after both were refused"
    SETUP=$WORK/older-build.exe silent install 0 "a downgrade allowed" /ALLOWDOWNGRADE
    installed "after an allowed downgrade" 'V3.02L09 M00'
    cmp -s "$ROOT/dist/assign.bat" "$FOLDER/assign.bat" || fail "the allowed downgrade did not write assign.bat"
}

# Run in place (_?=), the uninstaller cannot remove itself: Windows does at the restart,
# which alone is no reason for 3010. A user holding the shortcut open is: the rest of the
# uninstall is done, and the shortcut goes at the restart too. The lock folder goes with
# what assign.bat left in it.
case_silent_uninstall() {
    installed_machine
    printf 'x' | tee "$FOLDER/lock/assign.lock" >"$FOLDER/lock/mountvol.txt"
    EXE=$(winepath -w "$SHORTCUT") start_program "$BIN/windowtool.exe" hold
    sleep 1
    silent uninstall 3010 "an uninstall with the shortcut held open"
    check_eq "files left before the restart" "uninstall.exe" "$(ls "$FOLDER" 2>/dev/null)"
    check_eq "left before the restart" $'Korvane folder\nshortcut' "$(installation_left)"
    kill "$PROGRAM"
    wait_ends "$PROGRAM" 10 "the shortcut's holder"
    wineboot -r >/dev/null 2>&1
    check_eq "left after the restart" "" "$(installation_left)"
}

# What the uninstaller did not make stays: a value in the product key and a file in the
# program folder; only its own values and files go.
case_uninstall_keeps_the_rest() {
    installed_machine
    wine_reg add "$PRODUCT_KEY" /v HideMsg /t REG_DWORD /d 1
    wine_reg add "$PRODUCT_KEY" /v Kept /d yes
    printf 'notes\r\n' >"$FOLDER/notes.txt"
    silent uninstall 0 "an uninstall"
    check_eq "values left in the product key" "Kept" \
        "$(wine reg query "$PRODUCT_KEY" 2>/dev/null | tr -d '\r' | awk '/^ +[^ ]+ +REG_/ { print $1 }')"
    check_eq "files left in the program folder" $'notes.txt\nuninstall.exe' "$(ls "$FOLDER" 2>/dev/null)"
}

# With the Administrators group disabled, nothing is installed; 740 ("elevation required")
# reaches the shell as 740 mod 256. Not silent, the installer says why.
case_not_administrator() {
    setup_machine
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
    setup_machine
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

AFTER_EACH_CASE=wine_cleanup
run_cases installer "${@:2}"
