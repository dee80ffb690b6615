#!/usr/bin/env bash
# Tests of assign.bat under Wine. Wine has no mountvol.exe: a stand-in of ours
# (tools/mountvol.cpp) answers from a scripted mount table in C:\mountvol, printing what the
# real tool prints around it, fails or is slow on cue, and records each call, so each case
# checks the exit code, the exact calls and the table after. Nor has Wine eventcreate.exe:
# another stand-in (tools/eventcreate.cpp) records the event-log entries.
#   tests/wine/batch.sh <folder with mountvol.exe and eventcreate.exe> [case...]
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
suite_start batch "$1"
unset DISPLAY

# The machine, in the order mountvol lists it (not the letters'): E: the optical drive (no
# disc: the table knows its volume, but no file system answers at E:\), H: a USB stick also
# mounted on a folder of D: whose name begins with a space, D: a data volume, C: the system
# volume, a base layer mounted on a folder of D: whose name begins with a brace, and a
# recovery volume with no mount point.
SYSTEM='\\?\Volume{3f2a8c10-5d1e-11ef-8b4c-806e6f6e6963}\'
OPTICAL='\\?\Volume{9c41e7a2-5d1e-11ef-8b4c-806e6f6e6963}\'
STICK='\\?\Volume{b07d5e34-5d1e-11ef-8b4c-806e6f6e6963}\'
DATA='\\?\Volume{c2e9a0f1-5d1e-11ef-8b4c-806e6f6e6963}\'
BASE='\\?\Volume{4d3e7b06-9a1c-4f2e-b8d5-2c6a0e1f9b37}\'
RECOVERY='\\?\Volume{e5f1c3d8-5d1e-11ef-8b4c-806e6f6e6963}\'
# The mount table with the optical volume at that mount point (none: at no letter) and the
# data volume at its own (D:\ unless given).
optical_at() { # [optical's mount point] [data volume's]
    printf '%s\n' "${1:+$1 }$OPTICAL" "H:\\ $STICK" "${2:-D:\\} $DATA" "D:\\ Stick\\ $STICK" "C:\\ $SYSTEM" \
        "D:\\{4d3e7b06-9a1c-4f2e-b8d5-2c6a0e1f9b37}\\BaseLayer\\ $BASE" "$RECOVERY"
}
TABLE=$(optical_at 'E:\')
# mountvol with no argument lists the volumes; the change from E: to F: calls it thus.
LIST=''
E_TO_F=("$LIST" 'E:\ /D' "$LIST" "F:\\ $OPTICAL" "$LIST")

wine_new_prefix "$WORK/prefix"
wineserver -p
C_DRIVE=$WINEPREFIX/drive_c
install -D "$ROOT/dist/assign.bat" "$C_DRIVE/Program Files (x86)/Korvane/morvessa/assign.bat"
# The folder the installer makes beside assign.bat for its lock.
LOCK_FOLDER="$C_DRIVE/Program Files (x86)/Korvane/morvessa/lock"

# Back to the machine above (with TABLE as its mount table and the lock folder in place),
# with the cues given. The stand-ins are in the 64-bit system folder only: a 32-bit cmd.exe
# reaches them through Sysnative, a 64-bit one through System32.
reset_machine() { # [cue...]
    rm -rf "$C_DRIVE/mountvol"
    mkdir -p "$C_DRIVE/mountvol" "$LOCK_FOLDER"
    printf '%s\n' "$TABLE" >"$C_DRIVE/mountvol/table.txt"
    printf '%s\n' "$@" >"$C_DRIVE/mountvol/cues.txt"
    cp "$BIN/mountvol.exe" "$BIN/eventcreate.exe" "$C_DRIVE/windows/system32/"
}

# Runs assign.bat with the argument text as written on a cmd command line, from a script
# C:\NAME.cmd that begins with the lines in BEFORE, so that quotes and "&" reach cmd as a
# user would type them. STATUS is the exit code; the error output is in $WORK/NAME.err.
# With WINE set to wine64 it runs under the 64-bit cmd.exe.
run_assign() { # argument-text [name]
    local name=${2:-run}
    printf '%s@"%s\\assign.bat" %s\r\n' "${BEFORE:-}" "$PROGRAM_FOLDER" "$1" >"$C_DRIVE/$name.cmd"
    ${WINE:-wine} cmd /c "C:\\$name.cmd" >/dev/null 2>"$WORK/$name.err"; STATUS=$?
}

# Checks the exit code, the mount table after, and the mountvol calls, one a line.
expect() { # what status table [call...]
    check_eq "exit code of assign.bat $1" "$2" "$STATUS"
    check_eq "mount table after $1" "$3" "$(tr -d '\r' <"$C_DRIVE/mountvol/table.txt")"
    check_eq "mountvol calls of $1" "$([ $# = 3 ] || printf '[%s]\n' "${@:4}")" \
        "$(sed 's/\r$//; s/.*/[&]/' "$C_DRIVE/mountvol/calls.txt" 2>/dev/null)"
}

# Checks the run's event-log entry (eventcreate's arguments), or that it wrote none.
expect_event() { check_eq "event log after $1" "${2:+/L APPLICATION /T $2 /SO Quenlath /ID $3 /D assign.bat $4}" "$(tr -d '\r' 2>/dev/null <"$C_DRIVE/mountvol/events.txt")"; } # what [type id description]

# Resets the machine with the cue, runs assign.bat with the arguments, checks the outcome.
attempt() { reset_machine "$2"; run_assign "$1"; expect "$1" "${@:3}"; } # arguments cue status table [call...]

# ---- Cases -------------------------------------------------------------------------

# Anything but two letters, A: to Z: then C: to Z:, changes nothing and runs no tool. A row:
# the exit code, then the argument texts that give it.
case_bad_arguments() {
    local row arguments
    while IFS='|' read -ra row; do
        for arguments in "${row[@]:1}"; do attempt "$arguments" "" "${row[0]}" "$TABLE" && expect_event "$arguments"; done
    done <<'ROWS'
1||E:|E: F: G:|E: F: ""|E: F: "
2|"" F:|@: F:|E:\ F:|EE: F:|E F:|1: F:|"E:&echo" F:
3|E: ""|E: "|E: A:|E: B:|E: F:\|E: F|E: "F:!"
4|E: E:|e: E:
ROWS
}

# The normal change, from the 32-bit cmd.exe that a 32-bit program starts, whose PATH does
# not reach the stand-ins: only their full paths do. A file linked at the lock's former
# place, in a folder any user can write, stays untouched. Then a drive at B:, given quoted
# and in lower case.
case_change() {
    echo kept >"$C_DRIVE/hosts"
    ln -f "$C_DRIVE/hosts" "$C_DRIVE/windows/temp/Quenlath-assign.lock"
    attempt "E: F:" "" 0 "$(optical_at 'F:\')" "${E_TO_F[@]}"
    check_eq "messages of a successful change" "" "$(cat "$WORK/run.err")"
    expect_event "E: F:" INFORMATION 100 'E: F: ended with exit code 0: done: the volume has the letter F:.'
    check_eq "a file linked at the former lock" kept "$(cat "$C_DRIVE/hosts")"
    TABLE=$(optical_at 'B:\') attempt '"b:" g:' "" 0 "$(optical_at 'G:\')" "$LIST" 'B:\ /D' "$LIST" "G:\\ $OPTICAL" "$LIST"
    # Under the 64-bit cmd.exe there is no Sysnative; the tools are in System32.
    WINE=$(command -v wine64 || echo /usr/lib/wine/wine64) attempt "E: F:" "help fr" 0 "$(optical_at 'F:\')" "${E_TO_F[@]}"
    # Only whole lines count, whatever the indent: a folder whose name begins with a brace or
    # a space is no drive letter, so D: moves the data volume.
    attempt "E: F:" "indent tab" 0 "$(optical_at 'F:\')" "${E_TO_F[@]}"
    attempt "D: G:" "" 0 "$(optical_at 'E:\' 'G:\')" "$LIST" 'D:\ /D' "$LIST" "G:\\ $DATA" "$LIST"
}

# Refusals: nothing changes, and no more than the one listing runs; without SystemRoot or
# the lock folder beside the batch, nothing runs: not even a tool of that name in a folder
# any user may create at the root of the current drive.
case_refusals() {
    mkdir -p "$C_DRIVE/System32" && cp "$BIN/eventcreate.exe" "$BIN/mountvol.exe" "$C_DRIVE/System32/"
    BEFORE=$'@cd /d C:\\\r\n@set "SystemRoot="\r\n' attempt "E: F:" "" 5 "$TABLE" && expect_event "E: F: without SystemRoot"
    BEFORE="@rd /s /q \"$PROGRAM_FOLDER\\lock\""$'\r\n' attempt "E: F:" "" 13 "$TABLE"
    expect_event "E: F: without the lock folder" WARNING 113 'E: F: ended with exit code 13: the folder lock beside assign.bat is missing or cannot be written; run the installed assign.bat.'
    attempt "M: G:" "help fr" 6 "$TABLE" "$LIST"
    attempt "E: F:" "fail list 1" 5 "$TABLE" "$LIST"
    attempt "E: h:" "help fr" 7 "$TABLE" "$LIST"
    # A drive letter made like subst's, for a folder, and a CD variable in the environment
    # that would hide the current folder from the check; then a network drive the account
    # reconnects at sign-in, a key without values. (No later case uses K: or Q:.)
    ln -sfn "$C_DRIVE/windows" "$WINEPREFIX/dosdevices/k:"
    BEFORE=$'@set "CD=C:\\"\r\n' attempt "E: K:" "" 8 "$TABLE" "$LIST"
    wine_reg add 'HKCU\Network\Q'
    attempt "E: Q:" "" 8 "$TABLE" "$LIST"
}

# Failures of the change itself, and the way back. A step that mountvol may have done but
# that a failed listing leaves unconfirmed is undone before the current letter is put back.
case_rollback() {
    attempt "E: F:" 'fail remove E:\' 9 "$TABLE" "$LIST" 'E:\ /D' "$LIST"
    attempt "E: F:" 'fail list 2' 9 "$TABLE" "$LIST" 'E:\ /D' "$LIST" "E:\\ $OPTICAL" "$LIST"
    attempt "E: F:" 'fail assign F:\' 10 "$TABLE" "${E_TO_F[@]}" "E:\\ $OPTICAL" "$LIST"
    attempt "E: F:" 'fail list 3' 10 "$TABLE" "${E_TO_F[@]}" 'F:\ /D' "E:\\ $OPTICAL" "$LIST"
    attempt "E: F:" 'fail assign *' 11 "$(optical_at)" "${E_TO_F[@]}" "E:\\ $OPTICAL" "$LIST"
    # The message printed and recorded names the volume left without a letter.
    expect_event "E: F: with no letter left" ERROR 111 "E: F: ended with exit code 11: F: could not be assigned, and E: could not be put back: give the volume $OPTICAL its letter in Disk Management."
}

# Three changes started together, the first with a slow mountvol: the others wait for its
# lock and then find no volume at E:; with a slower one, a second change gives up waiting.
case_one_change_at_a_time() {
    reset_machine "slow 500"
    run_assign "E: F:" first & local first=$!
    sleep 1
    run_assign "E: G:" second & local second=$!
    run_assign "E: J:"
    wait "$first" "$second"
    expect "E: J: with two changes before it" 6 "$(optical_at 'F:\')" "${E_TO_F[@]}" "$LIST" "$LIST"
    reset_machine "slow 3000"
    run_assign "E: F:" first & first=$!
    sleep 1
    run_assign "E: G:"
    wait "$first"
    expect "E: G: a second after E: F:" 12 "$(optical_at 'F:\')" "${E_TO_F[@]}"
}

run_cases batch "${@:2}"
