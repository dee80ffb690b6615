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

# The optical and the data volume, which the cases move; the tables show a listing (mountvol
# with no argument) as "list".
OPTICAL='\\?\Volume{9c41e7a2-5d1e-11ef-8b4c-806e6f6e6963}\'
DATA='\\?\Volume{c2e9a0f1-5d1e-11ef-8b4c-806e6f6e6963}\'

# The mount table, in the order mountvol lists it (not the letters'): the optical drive at
# the letter given (none: the table knows its volume, at no letter), H: a USB stick also
# mounted on a folder of D: whose name begins with a space, the data volume (at D: unless given), C: the system volume, a base layer
# mounted on a folder of D: whose name begins with a brace, and a recovery volume with no
# mount point.
mount_table() { # optical-letter|none [data-letter]
    local optical="$1\\ " data="${2:-D:}\\ "
    [ "$1" != none ] || optical=''
    printf '%s\n' "$optical$OPTICAL" 'H:\ \\?\Volume{b07d5e34-5d1e-11ef-8b4c-806e6f6e6963}\' \
        'D:\ Stick\ \\?\Volume{b07d5e34-5d1e-11ef-8b4c-806e6f6e6963}\' "$data$DATA" 'C:\ \\?\Volume{3f2a8c10-5d1e-11ef-8b4c-806e6f6e6963}\' \
        'D:\{4d3e7b06-9a1c-4f2e-b8d5-2c6a0e1f9b37}\BaseLayer\ \\?\Volume{4d3e7b06-9a1c-4f2e-b8d5-2c6a0e1f9b37}\' \
        '\\?\Volume{e5f1c3d8-5d1e-11ef-8b4c-806e6f6e6963}\'
}

wine_new_prefix "$WORK/prefix"
wineserver -p
C_DRIVE=$WINEPREFIX/drive_c
install -D "$ROOT/dist/assign.bat" "$C_DRIVE/Program Files (x86)/Korvane/morvessa/assign.bat"

# A fresh machine with that mount table and cue, and the lock folder the installer makes
# beside assign.bat. The stand-ins are in the 64-bit system folder only: a 32-bit cmd.exe
# reaches them through Sysnative, a 64-bit one through System32.
reset_machine() { # "optical-letter [data-letter]" cue
    rm -rf "$C_DRIVE/mountvol"
    mkdir -p "$C_DRIVE/mountvol" "$C_DRIVE/Program Files (x86)/Korvane/morvessa/lock"
    mount_table $1 >"$C_DRIVE/mountvol/table.txt"
    printf '%s\n' "$2" >"$C_DRIVE/mountvol/cues.txt"
    cp "$BIN/mountvol.exe" "$BIN/eventcreate.exe" "$C_DRIVE/windows/system32/"
}

# Runs assign.bat with the argument text as a user types it on a cmd command line, from a
# script C:\NAME.cmd whose first line is BEFORE (a remark when unset). STATUS is the exit
# code; the error output is in $WORK/NAME.err. With WINE set to wine64 it runs under the
# 64-bit cmd.exe.
run_assign() { # argument-text [name]
    printf '@%s\r\n@"%s\\assign.bat" %s\r\n' "${BEFORE:-rem}" "$PROGRAM_FOLDER" "$1" >"$C_DRIVE/${2:-run}.cmd"
    ${WINE:-wine} cmd /c "C:\\${2:-run}.cmd" </dev/null >/dev/null 2>"$WORK/${2:-run}.err"
    STATUS=$?
}

# A file the stand-ins wrote, with a listing (mountvol with no argument) shown as "list".
recorded() { sed 's/\r$//; s/^$/list/' "$C_DRIVE/mountvol/$1" 2>/dev/null; } # table.txt|calls.txt|events.txt

# Checks a run: its exit code, the mount table after (as mount_table takes it), the mountvol
# calls ("; " between two), and, when given, its event-log entry ("" for none): the type, the
# ID and the description after "assign.bat". A change that succeeds prints nothing.
check_outcome() { # what exit table-after calls [event]
    check_eq "exit code of assign.bat $1" "$2" "$STATUS"
    check_eq "mount table after $1" "$(mount_table $3)" "$(recorded table.txt)"
    check_eq "mountvol calls of $1" "${4//; /$'\n'}" "$(recorded calls.txt)"
    [ "$2" != 0 ] || check_eq "messages of $1" "" "$(cat "$WORK/run.err")"
    [ $# = 4 ] || check_eq "event log after $1" "$5" "$(recorded events.txt |
        sed 's|^/L APPLICATION /T \([A-Z]*\) /SO Quenlath /ID \([0-9]*\) /D assign\.bat |\1 \2 |')"
}

# Runs the cases on standard input, one a row, each on a fresh machine: the arguments, the
# mount table before (as mount_table takes it), the stand-in's cue, and what check_outcome
# checks after. A row beginning with # is a heading.
check_cases() {
    local arguments before cue exit after calls event
    while IFS='|' read -r arguments before cue exit after calls event; do
        reset_machine "$before" "$cue"
        run_assign "$arguments"
        check_outcome "$arguments" "$exit" "$after" "$calls" "$event"
    done < <(sed '/^#/d; s/ *| */|/g')
}

# ---- Cases -------------------------------------------------------------------------

# Anything but two letters, A: to Z: then C: to Z:, changes nothing, runs no tool and records
# nothing. A row: the exit code, then the argument texts that give it.
case_bad_arguments() {
    local row arguments
    while IFS='|' read -ra row; do
        for arguments in "${row[@]:1}"; do check_cases <<<"$arguments | E: | | ${row[0]} | E: | |"; done
    done <<'ROWS'
1||E:|E: F: G:|E: F: ""|E: F: "
2|"" F:|@: F:|E:\ F:|EE: F:|E F:|1: F:|"E:&echo" F:
3|E: ""|E: "|E: A:|E: B:|E: F:\|E: F|E: "F:!"
4|E: E:|e: E:
ROWS
}

# The normal change, from the 32-bit cmd.exe that a 32-bit program starts, whose PATH does
# not reach the stand-ins: only their full paths do. A drive at B: may be given quoted and
# in lower case. Only whole lines of the listing count, whatever the indent: a folder
# whose name begins with a brace or a space is no drive letter, so D: moves the data volume.
case_change() {
    check_cases <<ROWS
# arguments | before | cue        | exit | after | calls                                   | event
"b:" g:     | B:     | indent tab | 0    | G:    | list; B:\ /D; list; G:\ $OPTICAL; list  | INFORMATION 100 B: G: ended with exit code 0: done: the volume has the letter G:.
D: G:       | E:     |            | 0    | E: G: | list; D:\ /D; list; G:\ $DATA; list     | INFORMATION 100 D: G: ended with exit code 0: done: the volume has the letter G:.
ROWS
    # Under the 64-bit cmd.exe there is no Sysnative; the tools are in System32.
    WINE=$(command -v wine64 || echo /usr/lib/wine/wine64) check_cases <<<"E: F: | E: | help fr | 0 | F: | list; E:\ /D; list; F:\ $OPTICAL; list | INFORMATION 100 E: F: ended with exit code 0: done: the volume has the letter F:."
}

# Refusals: nothing changes, and no more than the one listing runs. Without SystemRoot or
# the lock folder beside the batch, nothing runs: not even a tool of that name in a folder
# any user may create at the root of the current drive. K: is a drive letter made like
# subst's, for a folder, and a CD variable in the environment would hide the current folder
# from the check; Q: is a network drive the account reconnects at sign-in, a key without
# values.
case_refusals() {
    mkdir -p "$C_DRIVE/System32" && cp "$BIN/eventcreate.exe" "$BIN/mountvol.exe" "$C_DRIVE/System32/"
    ln -sfn "$C_DRIVE/windows" "$WINEPREFIX/dosdevices/k:"
    wine_reg add 'HKCU\Network\Q'
    BEFORE='cd /d C:\ & set "SystemRoot="' check_cases <<<'E: F: | E: | | 5 | E: | |'
    BEFORE="rd /s /q \"$PROGRAM_FOLDER\\lock\"" check_cases <<<'E: F: | E: | | 13 | E: | | WARNING 113 E: F: ended with exit code 13: the folder lock beside assign.bat is missing or cannot be written; run the installed assign.bat.'
    BEFORE='set "CD=C:\"' check_cases <<<'E: K: | E: | | 8 | E: | list | WARNING 108 E: K: ended with exit code 8: K: is already in use.'
    check_cases <<ROWS
# arguments | before | cue         | exit | after | calls | event
M: G:       | E:     | help fr     | 6    | E:    | list  | WARNING 106 M: G: ended with exit code 6: no volume has the letter M:.
E: F:       | E:     | fail list 1 | 5    | E:    | list  | WARNING 105 E: F: ended with exit code 5: mountvol.exe lists no volume.
E: h:       | E:     | help fr     | 7    | E:    | list  | WARNING 107 E: H: ended with exit code 7: H: already names a volume.
E: Q:       | E:     |             | 8    | E:    | list  | WARNING 108 E: Q: ended with exit code 8: Q: is already in use by a network drive of this account.
ROWS
}

# Failures of the change itself, and the way back. A step that mountvol may have done but
# that a failed listing leaves unconfirmed is undone before the current letter is put back.
# With no letter left, the message printed and recorded names the volume.
case_rollback() {
    check_cases <<ROWS
# arguments | before | cue             | exit | after | calls                                                                      | event
E: F:       | E:     | fail remove E:\ | 9    | E:    | list; E:\ /D; list                                                         | WARNING 109 E: F: ended with exit code 9: the letter E: could not be removed.
E: F:       | E:     | fail list 2     | 9    | E:    | list; E:\ /D; list; E:\ $OPTICAL; list                                     | WARNING 109 E: F: ended with exit code 9: the removal of E: could not be confirmed; the volume has E: again.
E: F:       | E:     | fail assign F:\ | 10   | E:    | list; E:\ /D; list; F:\ $OPTICAL; list; E:\ $OPTICAL; list                 | WARNING 110 E: F: ended with exit code 10: F: could not be assigned; the volume has E: again.
E: F:       | E:     | fail list 3     | 10   | E:    | list; E:\ /D; list; F:\ $OPTICAL; list; F:\ /D; E:\ $OPTICAL; list         | WARNING 110 E: F: ended with exit code 10: F: could not be assigned; the volume has E: again.
E: F:       | E:     | fail assign *   | 11   | none  | list; E:\ /D; list; F:\ $OPTICAL; list; E:\ $OPTICAL; list                 | ERROR 111 E: F: ended with exit code 11: F: could not be assigned, and E: could not be put back: give the volume $OPTICAL its letter in Disk Management.
ROWS
}

# Two changes started together, the first with a slow mountvol: the second waits for its
# lock and then finds no volume at E:; with a slower one, the second gives up waiting.
case_one_change_at_a_time() {
    reset_machine E: "slow 500"
    run_assign "E: F:" first & local first=$!
    sleep 1
    run_assign "E: J:"
    wait "$first"
    check_outcome "E: J: a second after E: F:" 6 F: "list; E:\ /D; list; F:\ $OPTICAL; list; list"
    reset_machine E: "slow 3000"
    run_assign "E: F:" first & first=$!
    sleep 1
    run_assign "E: G:"
    wait "$first"
    check_outcome "E: G: a second after E: F:" 12 F: "list; E:\ /D; list; F:\ $OPTICAL; list"
}

run_cases batch "${@:2}"
