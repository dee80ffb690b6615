#!/usr/bin/env bash
# Tests of Quenlath-setup.exe under Wine and Xvfb. Each case starts on a machine of its own
# and installs what it needs, so that any case runs alone: an install, the installed
# program and an uninstall; downgrades, upgrades and uninstalls that meet a locked file;
# and the pages a user sees, in each language and without administrator rights.
#   tests/wine/installer.sh <folder with Quenlath-setup.exe, Morvessa.exe and the test tools> [case...]
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
suite_start installer "$1"
SETUP=$BIN/Quenlath-setup.exe

# The version the installer must record: the product version of the program's version block.
VERSION=$(sed -n 's/.*VALUE "ProductVersion", *"\([^"]*\)".*/\1/p' "$ROOT/src/res/Morvessa.rc")
read -r VERSION_MAJOR VERSION_MINOR < <(sed -n 's/^ *PRODUCTVERSION \([0-9]*\), *\([0-9]*\),.*/\1 \2/p' "$ROOT/src/res/Morvessa.rc")
UNINSTALL_KEY='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quenlath'

# A machine with the drive at E: (none unless asked for), and where the installer puts things.
setup_machine() { # [ide]
    machine "${1:-none}" E
    FOLDER="$WINEPREFIX/drive_c/Program Files (x86)/Korvane/morvessa"
    SHORTCUT="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Quenlath.lnk"
}

# An installer of another version, built like the real one, with the same files.
other_setup() { # version-numbers version-text file
    makensis -V1 -INPUTCHARSET UTF8 "-DVERSION=$2" "-DVERSION_NUMBERS=$1" "-DMORVESSA_EXE=$BIN/Morvessa.exe" \
        "-DASSIGN_BAT=$ROOT/dist/assign.bat" "-DICON=$ROOT/src/res/Morvessa.ico" "-DOUTFILE=$3" \
        "$ROOT/dist/Quenlath.nsi" >/dev/null || fail "makensis could not build $3"
}

# A silent install (of SETUP, with the options given), or the quiet uninstall command of
# the installed-programs entry, run from a batch file, which waits for windowed programs
# too: its exit code must be the one given (a code above 255 reaches the shell mod 256).
# Wine's standard error passes through, so that a caller can keep a trace.
silent() { # install|uninstall expected-status what [option]
    local line="\"$(winepath -w "$SETUP")\" /S${4:+ $4}"
    [ "$1" = install ] || line=$(reg_value "$UNINSTALL_KEY" QuietUninstallString)
    printf '@%s\r\n' "$line" >"$WINEPREFIX/drive_c/$1.cmd"
    wine cmd /c "C:\\$1.cmd" >/dev/null
    check_eq "exit code of $3" "$(($2 % 256))" "$?"
}

# Ends a window tool that holds a file open.
release() { kill "$1"; wait_ends "$1" 10 "$2"; } # pid what

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
    wine reg query "$UNINSTALL_KEY" >/dev/null 2>&1 && echo "installed-programs entry"
    wine reg query 'HKLM\Software\Korvane' >/dev/null 2>&1 && echo "Korvane key"
}

# ---- Cases -------------------------------------------------------------------------

# What the install asks the security API for, one line a call, as Wine's trace shows it
# (Wine keeps no DACLs on files, so they cannot be read back): the SDDL converted, the path
# it is then set on (backslashes doubled) and the parts set: -2147483643 for the owner and
# a protected DACL, 536870917 for the owner and a DACL open to inheritance. The company
# folder comes before anything below it.
SECURITY_ASKED='O:BAD:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU) C:\\Program Files (x86)\\Korvane -2147483643
O:BAD:AI C:\\Program Files (x86)\\Korvane\\morvessa 536870917
O:BAD:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA) C:\\Program Files (x86)\\Korvane\\morvessa\\lock -2147483643
O:BAD:AI C:\\Program Files (x86)\\Korvane\\morvessa\\Morvessa.exe 536870917
O:BAD:PAI(A;;FA;;;SY)(A;;FA;;;BA) C:\\Program Files (x86)\\Korvane\\morvessa\\assign.bat -2147483643
O:BAD:AI C:\\Program Files (x86)\\Korvane\\morvessa\\uninstall.exe 536870917'

# A silent install, the installed program, and a silent uninstall. The install meets a
# program folder made before it, with its files hard links to a file that must stay as it
# was (where Program Files lets users write, a user could plant them, linked to a file
# they may read but not write): it writes new files instead. While the installed program
# runs (it holds its mutex) neither an install nor an uninstall starts; its OK moves the
# drive through the installed assign.bat, with a stand-in for mountvol, which Wine lacks
# (the program closes only once the change is done). Run in place (_?=), the uninstaller
# cannot remove itself: Windows does at the restart, which alone is no reason for 3010. A
# user holding the shortcut open is: the rest of the uninstall is done, and the shortcut
# goes at the restart too. What the run left goes as well: HideMsg, which the notice
# writes, and the lock file and listing assign.bat left in the lock folder.
case_install_run_uninstall() {
    local name value trace=$WORK/trace.txt
    setup_machine ide
    mkdir -p "$FOLDER"
    echo linked >"$WINEPREFIX/drive_c/linked.txt"
    for name in Morvessa.exe assign.bat uninstall.exe; do ln "$WINEPREFIX/drive_c/linked.txt" "$FOLDER/$name"; done
    WINEDEBUG=trace+security,trace+advapi silent install 0 "a silent install" 2>"$trace"
    check_eq "owners and DACLs asked for" "$SECURITY_ASKED" "$(sed -n \
        -e 's/.*:ConvertStringSecurityDescriptorToSecurityDescriptorW L"\([^"]*\)".*/\1/p' \
        -e 's/.*:SetNamedSecurityInfoW L"\([^"]*\)" 1 \([-0-9]*\) .*/\1 \2/p' "$trace" | paste -d ' ' - -)"
    # The group and the SACL are never given: three null pointers at the end mean no DACL.
    grep 'SetNamedSecurityInfoW .* 00000000 00000000 00000000$' "$trace" && fail "a call without a DACL"
    check_eq "the file the planted links share" linked "$(cat "$WINEPREFIX/drive_c/linked.txt")"
    for value in DisplayName=Quenlath Publisher=Korvane NoModify=0x1 NoRepair=0x1 \
        "InstallLocation=$PROGRAM_FOLDER" "UninstallString=\"$PROGRAM_FOLDER\\uninstall.exe\"" \
        "VersionMajor=$(printf '0x%x' "$VERSION_MAJOR")" "VersionMinor=$(printf '0x%x' "$VERSION_MINOR")"; do
        check_eq "installed-programs entry's ${value%%=*}" "${value#*=}" "$(reg_value "$UNINSTALL_KEY" "${value%%=*}")"
    done
    grep -qxF "$PROGRAM_FOLDER\\Morvessa.exe" <<<"$(strings -a "$SHORTCUT")" || fail "no shortcut to the installed program"

    mkdir -p "$WINEPREFIX/drive_c/mountvol"
    echo 'E:\ \\?\Volume{9c41e7a2-5d1e-11ef-8b4c-806e6f6e6963}\' >"$WINEPREFIX/drive_c/mountvol/table.txt"
    cp "$BIN/mountvol.exe" "$WINEPREFIX/drive_c/windows/system32/"
    EXE=$PROGRAM_FOLDER\\Morvessa.exe open_dialog
    silent install 3 "an install while the program runs"
    silent uninstall 3 "an uninstall while the program runs"
    pick_f "installed program"
    close_with 1 OK

    EXE=$(winepath -w "$SHORTCUT") start_program "$BIN/windowtool.exe" hold
    sleep 1
    silent uninstall 3010 "an uninstall with the shortcut held open"
    release "$PROGRAM" "the shortcut's holder"
    wineboot -r >/dev/null 2>&1
    check_eq "left after the restart" "" "$(installation_left)"
}

# Versions and locked files. An older setup over a newer installed version: a silent one
# refuses (exit 4) and changes nothing unless /ALLOWDOWNGRADE is given; an interactive one
# asks, and No changes nothing. Of the two older setups one is older in the build number,
# the other in the minor version with a later build number, so that neither half of the
# version decides alone. The upgrade back then fails on a file that cannot be replaced and
# records nothing. A change in progress holds the lock file: the uninstall then removes
# nothing; a program file that cannot be removed fails it, and the entry stays, so that
# the uninstall can run again once nothing holds the file. It then removes only what is
# its own: a value in the product key and a file in the program folder stay.
case_versions_and_locked_files() {
    local older='V3.02L09 M00' lock_holder
    setup_machine && silent install 0 "the install the case starts from"
    other_setup 3.2.999.0 "$older" "$WORK/older-build.exe"
    other_setup 3.1.2000.0 'V3.01L20 M00' "$WORK/older-minor.exe"
    SETUP=$WORK/older-build.exe silent install 4 "a silent downgrade"
    EXE=$WORK/older-minor.exe start_program
    wait_window "Installer Language" && tool click "Installer Language" 1
    shows "no question before the downgrade" "Quenlath Setup" "A newer version of Quenlath is installed"
    tool click "Quenlath Setup" 7
    wait_ends "$PROGRAM" 20 "setup after No"
    installed "after both were refused"
    SETUP=$WORK/older-build.exe silent install 0 "a downgrade allowed" /ALLOWDOWNGRADE
    installed "after an allowed downgrade" "$older"

    # The window tool keeps a file open, shared for reading only.
    : >"$FOLDER/lock/assign.lock"
    EXE=$PROGRAM_FOLDER\\lock\\assign.lock start_program "$BIN/windowtool.exe" hold
    lock_holder=$PROGRAM
    EXE=$PROGRAM_FOLDER\\assign.bat start_program "$BIN/windowtool.exe" hold
    sleep 1
    silent install 2 "an upgrade with assign.bat locked"
    installed "after a failed upgrade" "$older"
    silent uninstall 2 "an uninstall while a change holds the lock file"
    installed "after an uninstall during a change" "$older"
    release "$lock_holder" "the lock file's holder"
    silent uninstall 2 "an uninstall with assign.bat locked"
    release "$PROGRAM" "assign.bat's holder"
    wine_reg add "$PRODUCT_KEY" /v Kept /d yes
    touch "$FOLDER/notes.txt"
    silent uninstall 0 "the uninstall run again"
    check_eq "values left in the product key" "    Kept    REG_SZ    yes" "$(wine reg query "$PRODUCT_KEY" | tr -d '\r' | grep REG_)"
    check_eq "files left in the program folder" $'notes.txt\nuninstall.exe' "$(ls "$FOLDER" 2>/dev/null)"
}

# What a user sees of setup: in each language, the language dialog offers it first and
# the welcome page shows the installer's own text in it (a screenshot of each welcome page
# goes to build/screenshots). Without administrator rights (the Administrators group
# disabled) setup says why, silent or not it installs nothing, and 740 ("elevation
# required") reaches the shell as 740 mod 256.
case_pages() {
    local locale name welcome
    setup_machine
    while IFS='|' read -r locale name _ _ _ _ welcome; do
        LANG=$locale LC_ALL=$locale EXE=$SETUP start_program
        wait_window "Installer Language" && tool click "Installer Language" 1
        poll 20 windows_show "" "$welcome" || fail "$name: the welcome page does not show [$welcome]"
        sleep 1
        screenshot "$SHOTS/installer-$name.png" Quenlath
        kill "$PROGRAM" && wait "$PROGRAM" 2>/dev/null
    done < <(languages)
    wine "$BIN/windowtool.exe" run restricted "$SETUP" /S
    check_eq "exit code without administrator rights" 228 "$?"
    EXE=$SETUP start_program "$BIN/windowtool.exe" run restricted
    wait_window "Installer Language" && tool click "Installer Language" 1
    shows "no message" "Quenlath Setup" "Administrator rights are required to install or uninstall Quenlath."
    tool click "Quenlath Setup" 1
    check_eq "left by setups closed or refused" "" "$(installation_left)"
}

AFTER_EACH_CASE=wine_cleanup
run_cases installer "${@:2}"
