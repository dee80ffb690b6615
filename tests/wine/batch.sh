#!/usr/bin/env bash
# Tests of assign.bat under Wine. Wine has no mountvol.exe: a stand-in of ours
# (tools/mountvol.cpp) answers from a scripted mount table in C:\mountvol\ and records
# each call, so each case checks the exit code, the exact calls and the table after.
#   tests/wine/batch.sh <folder with mountvol.exe> [case...]
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

BIN=$(cd "$1" && pwd)
shift
ROOT=$(cd "$WINE_LIB_DIR/../.." && pwd)
BATCH=$ROOT/dist/assign.bat
WINE64=$(command -v wine64 || echo /usr/lib/wine/wine64)
work=$(mktemp -d "${TMPDIR:-/tmp}/quenlath-batch.XXXXXX")
finish() {
    wine_cleanup
    rm -rf "$work"
}
trap finish EXIT
unset DISPLAY



# The machine: C: the system volume, E: the optical drive (no disc: the table knows its
# volume, but no file system answers at E:\), H: a USB stick.
SYSTEM_VOLUME='\\?\Volume{3f2a8c10-5d1e-11ef-8b4c-806e6f6e6963}\'
OPTICAL_VOLUME='\\?\Volume{9c41e7a2-5d1e-11ef-8b4c-806e6f6e6963}\'
STICK_VOLUME='\\?\Volume{b07d5e34-5d1e-11ef-8b4c-806e6f6e6963}\'
TABLE="C:\\ $SYSTEM_VOLUME
E:\\ $OPTICAL_VOLUME
H:\\ $STICK_VOLUME"

C_DRIVE=""
PROGRAM_FOLDER='C:\Program Files (x86)\Korvane\morvessa'

new_machine() {
    export WINEPREFIX="$work/prefix"
    wine_new_prefix "$WINEPREFIX"
    WINEPREFIX="$WINEPREFIX" wineserver -p
    C_DRIVE=$WINEPREFIX/drive_c
    mkdir -p "$C_DRIVE/Program Files (x86)/Korvane/morvessa"
    cp "$BATCH" "$C_DRIVE/Program Files (x86)/Korvane/morvessa/assign.bat"
}

# Back to the machine above before each case. The stand-in is in the 64-bit system folder
# only: a 32-bit cmd.exe reaches it through Sysnative, a 64-bit one through System32.
reset_machine() {
    rm -rf "$C_DRIVE/mountvol" "$C_DRIVE/decoy" "$WINEPREFIX/dosdevices/k:"
    mkdir -p "$C_DRIVE/mountvol"
    printf '%s\n' "$TABLE" >"$C_DRIVE/mountvol/table.txt"
    cp "$BIN/mountvol.exe" "$C_DRIVE/windows/system32/mountvol.exe"
    rm -f "$C_DRIVE/windows/syswow64/mountvol.exe"
}

fail_operation() { # list|remove|assign X:\|*
    printf '%s %s\n' "$1" "$2" >>"$C_DRIVE/mountvol/fail.txt"
}

# Runs assign.bat with the argument text as written on a cmd command line, from a
# one-line script, so that quotes and "&" reach cmd as a user would type them. STATUS is
# the exit code. With WINE set to wine64 it runs under the 64-bit cmd.exe.
run_assign() { # argument text
    printf '@"%s\\assign.bat" %s\r\n' "$PROGRAM_FOLDER" "$1" >"$C_DRIVE/run-assign.cmd"
    ${WINE:-wine} cmd /c 'C:\run-assign.cmd' >"$work/stdout" 2>"$work/stderr"
    STATUS=$?
}

calls() { tr -d '\r' 2>/dev/null <"$C_DRIVE/mountvol/calls.txt"; }
table() { tr -d '\r' <"$C_DRIVE/mountvol/table.txt"; }

check_status() { check_eq "exit code of assign.bat $2" "$1" "$STATUS"; }
check_calls() { # what expected-lines...
    local what=$1
    shift
    check_eq "mountvol calls of $what" "$(printf '%s\n' "$@")" "$(calls)"
}
check_table() { check_eq "mount table after $1" "$2" "$(table)"; }

# The mount table with some lines changed: "X:\ volume" sets a letter, "X:\" removes it.
table_with() {
    local -A rows=()
    local line change
    while IFS= read -r line; do
        rows[${line:0:1}]=$line
    done <<<"$TABLE"
    for change in "$@"; do
        if [ ${#change} -gt 3 ]; then
            rows[${change:0:1}]=$change
        else
            unset "rows[${change:0:1}]"
        fi
    done
    printf '%s\n' "${rows[@]}" | LC_ALL=C sort
}

E_LIST='E:\ /L'
F_LIST='F:\ /L'
E_REMOVE='E:\ /D'
F_ASSIGN="F:\\ $OPTICAL_VOLUME"
E_ASSIGN="E:\\ $OPTICAL_VOLUME"

# ---- Cases -------------------------------------------------------------------------

case_line_endings() {
    local bare
    bare=$(grep -c $'[^\r]$' "$BATCH")
    check_eq "lines of assign.bat without CR LF (cmd mis-jumps to labels in LF files)" 0 "$bare"
}

# Anything but two letters C: to Z: (one each) changes nothing and runs no tool.
case_bad_arguments() {
    local expected arguments
    while IFS='|' read -r expected arguments; do
        reset_machine
        run_assign "$arguments"
        check_status "$expected" "[$arguments]"
        check_eq "mountvol calls for [$arguments]" "" "$(calls)"
        check_table "[$arguments]" "$TABLE"
    done <<'LIST'
1|
1|E:
1|E: F: G:
1|E: F: ""
2|"" F:
3|E: ""
2|A: F:
3|E: B:
2|E:\ F:
3|E: F:\
2|EE: F:
2|E F:
3|E: F
2|1: F:
2|"E:&echo" F:
3|E: "F:!"
4|E: E:
4|e: E:
LIST
}

# The normal change, from the 32-bit cmd.exe that a 32-bit program starts. Tools named
# mountvol in the current folder and first on PATH must not be the ones that run.
case_change() {
    reset_machine
    mkdir -p "$C_DRIVE/decoy"
    local decoy
    for decoy in mountvol.cmd mountvol.bat; do
        printf '@echo %%*>> C:\\decoy\\called.txt\r\n' >"$C_DRIVE/decoy/$decoy"
    done
    printf '@cd /d C:\\decoy\r\n@set "PATH=C:\\decoy;%%PATH%%"\r\n@"%s\\assign.bat" E: F:\r\n' \
        "$PROGRAM_FOLDER" >"$C_DRIVE/run-assign.cmd"
    wine cmd /c 'C:\run-assign.cmd' >"$work/stdout" 2>"$work/stderr"
    STATUS=$?
    check_status 0 "E: F:"
    check_calls "E: F:" "$E_LIST" "$F_LIST" "$E_REMOVE" "$E_LIST" "$F_ASSIGN" "$F_LIST"
    check_table "E: F:" "$(table_with 'E:\' "$F_ASSIGN")"
    check_eq "messages of a successful change" "" "$(tr -d '\r' <"$work/stderr")"
    [ -e "$C_DRIVE/decoy/called.txt" ] && fail "a mountvol of the current folder or PATH ran"

    reset_machine
    run_assign '"e:" g:'
    check_status 0 '"e:" g:'
    check_calls '"e:" g:' "$E_LIST" 'G:\ /L' "$E_REMOVE" "$E_LIST" "G:\\ $OPTICAL_VOLUME" 'G:\ /L'
}

# Under the 64-bit cmd.exe there is no Sysnative; the tool is in System32.
case_change_from_64_bit_cmd() {
    reset_machine
    WINE=$WINE64 run_assign "E: F:"
    check_status 0 "E: F: (64-bit cmd)"
    check_calls "E: F: (64-bit cmd)" "$E_LIST" "$F_LIST" "$E_REMOVE" "$E_LIST" "$F_ASSIGN" "$F_LIST"
    check_table "E: F: (64-bit cmd)" "$(table_with 'E:\' "$F_ASSIGN")"
}

case_no_tool() {
    reset_machine
    rm -f "$C_DRIVE/windows/system32/mountvol.exe"
    run_assign "E: F:"
    check_status 5 "without mountvol.exe"
    check_table "a run without mountvol.exe" "$TABLE"
}

# Refusals: each after the queries only, with the table untouched.
case_refusals() {
    reset_machine
    run_assign "D: G:"
    check_status 6 "D: G: (D: has no volume)"
    check_calls "D: G:" 'D:\ /L'

    reset_machine
    fail_operation list 'E:\'
    run_assign "E: F:"
    check_status 6 "E: F: (the query of E: fails)"
    check_calls "E: F: (the query of E: fails)" "$E_LIST"

    reset_machine
    run_assign "E: h:"
    check_status 7 "E: h: (H: is a volume)"
    check_calls "E: h:" "$E_LIST" 'H:\ /L'

    # Wine's Z: maps the Unix root: a DOS device without a volume.
    reset_machine
    run_assign "E: Z:"
    check_status 8 "E: Z: (Z: is a DOS device)"
    check_calls "E: Z:" "$E_LIST" 'Z:\ /L'

    # A drive letter made like subst's, for a folder.
    reset_machine
    mkdir -p "$C_DRIVE/substituted"
    ln -sfn "$C_DRIVE/substituted" "$WINEPREFIX/dosdevices/k:"
    run_assign "E: K:"
    check_status 8 "E: K: (K: names a folder)"
    check_calls "E: K:" "$E_LIST" 'K:\ /L'
    check_table "the refusals" "$TABLE"
}

# Failures of the change itself, and the way back.
case_rollback() {
    reset_machine
    fail_operation remove 'E:\'
    run_assign "E: F:"
    check_status 9 "E: F: (E: cannot be removed)"
    check_calls "E: F: (E: cannot be removed)" "$E_LIST" "$F_LIST" "$E_REMOVE" "$E_LIST"
    check_table "a failed removal" "$TABLE"

    reset_machine
    fail_operation assign 'F:\'
    run_assign "E: F:"
    check_status 10 "E: F: (F: cannot be assigned)"
    check_calls "E: F: (F: cannot be assigned)" "$E_LIST" "$F_LIST" "$E_REMOVE" "$E_LIST" \
        "$F_ASSIGN" "$F_LIST" "$E_ASSIGN" "$E_LIST"
    check_table "a failed assignment" "$TABLE"

    reset_machine
    fail_operation assign '*'
    run_assign "E: F:"
    check_status 11 "E: F: (no letter can be assigned)"
    check_calls "E: F: (no letter can be assigned)" "$E_LIST" "$F_LIST" "$E_REMOVE" "$E_LIST" \
        "$F_ASSIGN" "$F_LIST" "$E_ASSIGN" "$E_LIST"
    check_table "a failed way back" "$(table_with 'E:\')"
    tr -d '\r' <"$work/stderr" | grep -qF "$OPTICAL_VOLUME" ||
        fail "the message of a failed way back does not name the volume left without a letter"
}

ALL_CASES=(line_endings bad_arguments change change_from_64_bit_cmd no_tool refusals rollback)

started=$SECONDS
new_machine
echo "batch: prefix ready in $((SECONDS - started)) s"
run_cases batch "$@"
