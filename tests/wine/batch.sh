#!/usr/bin/env bash
# Tests of assign.bat under Wine. Wine has no mountvol.exe: a stand-in of ours
# (tools/mountvol.cpp) answers from a scripted mount table in C:\mountvol, fails or is slow
# on cue, and records each call, so each case checks the exit code, the exact calls and the
# table after.
#   tests/wine/batch.sh <folder with mountvol.exe> [case...]
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
suite_start batch "$1"
unset DISPLAY

# The machine: C: the system volume, E: the optical drive (no disc: the table knows its
# volume, but no file system answers at E:\), H: a USB stick.
SYSTEM='\\?\Volume{3f2a8c10-5d1e-11ef-8b4c-806e6f6e6963}\'
OPTICAL='\\?\Volume{9c41e7a2-5d1e-11ef-8b4c-806e6f6e6963}\'
STICK='\\?\Volume{b07d5e34-5d1e-11ef-8b4c-806e6f6e6963}\'
# The table with the optical volume at that letter (none: at no letter).
optical_at() { { printf '%s\n' "C:\\ $SYSTEM" "H:\\ $STICK"; [ $# = 0 ] || echo "$1 $OPTICAL"; } | LC_ALL=C sort; }
TABLE=$(optical_at 'E:\')
# mountvol with no argument lists the volumes; the change from E: to F: calls it thus.
LIST=''
E_TO_F=("$LIST" 'E:\ /D' "$LIST" "F:\\ $OPTICAL" "$LIST")

wine_new_prefix "$WORK/prefix"
wineserver -p
C_DRIVE=$WINEPREFIX/drive_c
install -D "$ROOT/dist/assign.bat" "$C_DRIVE/Program Files (x86)/Korvane/morvessa/assign.bat"

# Back to the machine above (with TABLE as its mount table), with the cues given. The
# stand-in is in the 64-bit system folder only: a 32-bit cmd.exe reaches it through
# Sysnative, a 64-bit one through System32.
reset_machine() { # [cue...]
    rm -rf "$C_DRIVE/mountvol"
    mkdir -p "$C_DRIVE/mountvol"
    printf '%s\n' "$TABLE" >"$C_DRIVE/mountvol/table.txt"
    printf '%s\n' "$@" >"$C_DRIVE/mountvol/cues.txt"
    cp "$BIN/mountvol.exe" "$C_DRIVE/windows/system32/mountvol.exe"
}

# Runs assign.bat with the argument text as written on a cmd command line, from a script
# C:\NAME.cmd that begins with the lines in BEFORE, so that quotes and "&" reach cmd as a
# user would type them. STATUS is the exit code; the error output is in $WORK/NAME.err.
# With WINE set to wine64 it runs under the 64-bit cmd.exe.
run_assign() { # argument-text [name]
    local name=${2:-run}
    printf '%s@"%s\\assign.bat" %s\r\n' "${BEFORE:-}" "$PROGRAM_FOLDER" "$1" >"$C_DRIVE/$name.cmd"
    ${WINE:-wine} cmd /c "C:\\$name.cmd" >/dev/null 2>"$WORK/$name.err"
    STATUS=$?
}

# Checks the exit code, the mount table after, and the mountvol calls, one a line.
expect() { # what status table [call...]
    check_eq "exit code of assign.bat $1" "$2" "$STATUS"
    check_eq "mount table after $1" "$3" "$(tr -d '\r' <"$C_DRIVE/mountvol/table.txt")"
    check_eq "mountvol calls of $1" "$([ $# = 3 ] || printf '[%s]\n' "${@:4}")" \
        "$(sed 's/\r$//; s/.*/[&]/' "$C_DRIVE/mountvol/calls.txt" 2>/dev/null)"
}

# Resets the machine with the cue, runs assign.bat with the arguments, checks the outcome.
attempt() { reset_machine "$2"; run_assign "$1"; expect "$1" "${@:3}"; } # arguments cue status table [call...]

# ---- Cases -------------------------------------------------------------------------

case_line_endings() {
    check_eq "lines without CR LF (cmd mis-jumps to labels in LF files)" 0 "$(grep -c $'[^\r]$' "$ROOT/dist/assign.bat")"
}

# Anything but two letters, A: to Z: then C: to Z:, changes nothing and runs no tool. A row:
# the exit code, then the argument texts that give it.
case_bad_arguments() {
    local row arguments
    while IFS='|' read -ra row; do
        for arguments in "${row[@]:1}"; do attempt "$arguments" "" "${row[0]}" "$TABLE"; done
    done <<'ROWS'
1||E:|E: F: G:|E: F: ""|E: F: "
2|"" F:|@: F:|E:\ F:|EE: F:|E F:|1: F:|"E:&echo" F:
3|E: ""|E: "|E: A:|E: B:|E: F:\|E: F|E: "F:!"
4|E: E:|e: E:
ROWS
}

# The normal change, from the 32-bit cmd.exe that a 32-bit program starts: tools named
# mountvol in the current folder and first on PATH must not be the ones that run. Then a
# drive at B:, given quoted and in lower case.
case_change() {
    mkdir -p "$C_DRIVE/decoy"
    printf '@echo %%*>> C:\\decoy\\called.txt\r\n' | tee "$C_DRIVE/decoy/mountvol.cmd" >"$C_DRIVE/decoy/mountvol.bat"
    BEFORE=$'@cd /d C:\\decoy\r\n@set "PATH=C:\\decoy;%PATH%"\r\n' attempt "E: F:" "" 0 "$(optical_at 'F:\')" "${E_TO_F[@]}"
    check_eq "messages of a successful change" "" "$(cat "$WORK/run.err")"
    [ -e "$C_DRIVE/decoy/called.txt" ] && fail "a mountvol of the current folder or PATH ran"
    TABLE=$(optical_at 'B:\') attempt '"b:" g:' "" 0 "$(optical_at 'G:\')" "$LIST" 'B:\ /D' "$LIST" "G:\\ $OPTICAL" "$LIST"
}

# Under the 64-bit cmd.exe there is no Sysnative; the tool is in System32.
case_change_from_64_bit_cmd() {
    WINE=$(command -v wine64 || echo /usr/lib/wine/wine64) attempt "E: F:" "" 0 "$(optical_at 'F:\')" "${E_TO_F[@]}"
}

case_no_tool() {
    reset_machine
    rm -f "$C_DRIVE/windows/system32/mountvol.exe"
    run_assign "E: F:"
    expect "E: F: without mountvol.exe" 5 "$TABLE"
}

# Refusals: nothing changes, and no more than the one listing runs.
case_refusals() {
    attempt "D: G:" "" 6 "$TABLE" "$LIST"
    attempt "E: F:" "fail list 1" 5 "$TABLE" "$LIST"
    attempt "E: h:" "" 7 "$TABLE" "$LIST"
    # Wine's Z: maps the Unix root: a DOS device without a volume.
    attempt "E: Z:" "" 8 "$TABLE" "$LIST"
    # A drive letter made like subst's, for a folder, and a CD variable in the environment
    # that would hide the current folder from the check.
    ln -sfn "$C_DRIVE/windows" "$WINEPREFIX/dosdevices/k:"
    BEFORE=$'@set "CD=C:\\"\r\n' attempt "E: K:" "" 8 "$TABLE" "$LIST"
    rm "$WINEPREFIX/dosdevices/k:"
}

# Failures of the change itself, and the way back. A step that mountvol may have done but
# that a failed listing leaves unconfirmed is undone before the current letter is put back.
case_rollback() {
    attempt "E: F:" 'fail remove E:\' 9 "$TABLE" "$LIST" 'E:\ /D' "$LIST"
    attempt "E: F:" 'fail list 2' 9 "$TABLE" "$LIST" 'E:\ /D' "$LIST" "E:\\ $OPTICAL" "$LIST"
    attempt "E: F:" 'fail assign F:\' 10 "$TABLE" "${E_TO_F[@]}" "E:\\ $OPTICAL" "$LIST"
    attempt "E: F:" 'fail list 3' 10 "$TABLE" "${E_TO_F[@]}" 'F:\ /D' "E:\\ $OPTICAL" "$LIST"
    attempt "E: F:" 'fail assign *' 11 "$(optical_at)" "${E_TO_F[@]}" "E:\\ $OPTICAL" "$LIST"
    grep -qF "$OPTICAL" "$WORK/run.err" ||
        fail "the message of a failed way back does not name the volume left without a letter"
}

# Two changes a second apart, the first with a slow mountvol: the second waits for the
# first's lock and then finds no volume at E:; with a slower one, it gives up waiting.
lock_race() { # slowness second-status second-calls...
    reset_machine "slow $1"
    (run_assign "E: F:" first; exit "$STATUS") &
    local first=$!
    sleep 1
    run_assign "E: G:"
    wait "$first" || fail "the first change exited with $?"
    expect "E: G: a second after E: F:" "$2" "$(optical_at 'F:\')" "${E_TO_F[@]}" "${@:3}"
}
case_one_change_at_a_time() {
    lock_race 500 6 "$LIST"
    lock_race 3000 12
}

run_cases batch "${@:2}"
