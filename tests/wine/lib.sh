# Shared by the Wine test scripts, scripts/run and scripts/bench: throwaway prefixes copied
# from one booted template, a planted machine, Xvfb, the window tool, and the case runner.
# A case records failures with fail/check_eq and goes on, so that it always reaches its
# cleanup; `run_cases NAME [case...]` prints "NAME: N passed, M failed". Every process and
# server a script starts is ended by its own ID in wine_cleanup, which also removes the
# prefix the script made (one at a time).

set -uo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko installs, and no menu entries outside the prefix for installed shortcuts.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

PROGRAM_FOLDER='C:\Program Files (x86)\Korvane\morvessa'
PRODUCT_KEY='HKLM\Software\Korvane\Morvessa'
SHOTS=$ROOT/build/screenshots
WINE_PIDS=() MADE_PREFIX=""

wine_cleanup() {
    [ -z "$MADE_PREFIX" ] || WINEPREFIX="$MADE_PREFIX" wineserver -k 2>/dev/null || true
    rm -rf "$MADE_PREFIX"
    kill "${WINE_PIDS[@]}" 2>/dev/null || true
    WINE_PIDS=() MADE_PREFIX=""
}

# Starts a test script: BIN is its first argument, WORK its own folder under build/wine.
# Private glibc locales let LANG select Wine's interface language.
suite_start() { # suite bin-folder
    BIN=$(cd "$2" && pwd)
    WORK=$ROOT/build/wine/$1
    export LOCPATH=${LOCPATH:-$ROOT/build/locales}
    rm -rf "$WORK" && mkdir -p "$WORK" "$SHOTS" "$LOCPATH"
    trap 'wine_cleanup; rm -rf "$WORK"' EXIT
    local locale
    for locale in en_US fr_FR ja_JP zh_CN; do
        [ -d "$LOCPATH/$locale.UTF-8" ] || localedef -i "$locale" -f UTF-8 "$LOCPATH/$locale.UTF-8" 2>/dev/null
    done
}

# Runs the command every 0.2 s until it succeeds, for at most that many seconds.
poll() { # seconds command...
    local end=$((SECONDS + $1))
    until "${@:2}"; do [ "$SECONDS" -lt "$end" ] && sleep 0.2 || return 1; done
}
not() { ! "$@"; }

# The booted template is made once and kept: booting takes about 20 s, a copy well under
# one. Its DLL folders are hard links in every copy: Wine writes none of those files, and
# the tests only add files there.
wine_new_prefix() { # prefix
    local template=$ROOT/build/wine/template dir font
    local shared=(drive_c/windows/system32 drive_c/windows/syswow64 drive_c/windows/winsxs)
    if [ ! -f "$template/system.reg" ]; then
        echo "    booting the template Wine prefix in $template (once, about 20 s)"
        rm -rf "$template.new" && mkdir -p "$template.new"
        WINEPREFIX="$template.new" wineboot -i >/dev/null 2>&1
        # CJK glyphs need a CJK font mapped for the dialog fonts.
        for font in "ＭＳ Ｐゴシック" "宋体"; do
            WINEPREFIX="$template.new" wine_reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$font" /d "WenQuanYi Micro Hei"
        done
        WINEPREFIX="$template.new" wineserver -w
        mv "$template.new" "$template"
    fi
    export WINEPREFIX=$1
    MADE_PREFIX=$1
    rm -rf "$1" && mkdir -p "$1"
    tar -C "$template" "${shared[@]/#/--exclude=./}" -cf - . | tar -C "$1" -xf -
    for dir in "${shared[@]}"; do cp -al "$template/$dir" "$1/$dir"; done
}

# Plants the supported IDE drive at a CD-ROM letter. The mount manager reads drive types
# only when the server starts, hence the restart; it rebuilds the mount table then, so the
# server is kept alive (wineserver -p) and the window tool writes the device and its
# Windows-style entry in the mount table after it came up.
wine_plant_drive() { # ide letter
    local letter=${2,,}
    mkdir -p "$WINEPREFIX/drive_$letter"
    ln -sfn "$WINEPREFIX/drive_$letter" "$WINEPREFIX/dosdevices/$letter:"
    wine_reg add 'HKLM\Software\Wine\Drives' /v "$letter:" /d cdrom /reg:64
    wineserver -k 2>/dev/null || true
    wineserver -w
    wineserver -p
    tool plant "${2^^}"
}

# A machine: Xvfb, a fresh prefix, and the drive (ide or none) at that letter.
machine() { # ide|none letter
    wine_start_xvfb
    wine_new_prefix "$WORK/prefix"
    if [ "$1" = none ]; then wineserver -p; else wine_plant_drive "$1" "$2"; fi
}
recording_machine() { machine "$@"; plant_batch record; }

# The assign.bat in the program folder: one that appends its arguments to
# C:\assign-calls.txt; one that records them, idles for 65 s (past the minute after which
# the program says the change still runs) and exits with 10; or one that exits with that
# code.
plant_batch() { # record|wait|exit-code
    local batch="$WINEPREFIX/drive_c/Program Files (x86)/Korvane/morvessa/assign.bat"
    local record='echo %1 %2>> C:\assign-calls.txt'
    mkdir -p "${batch%/*}"
    case $1 in
    record) printf '%s\r\n' '@echo off' "$record" ;;
    wait) printf '%s\r\n' '@echo off' "$record" 'ping -n 66 127.0.0.1 >nul' 'exit /b 10' ;;
    *) printf '%s\r\n' "@exit /b $1" ;;
    esac >"$batch"
}

# Adds or deletes a key or value with `wine reg`, quietly and without asking. The UTF-8
# locale makes Wine pass non-ASCII names and data intact.
wine_reg() { LC_ALL=C.UTF-8 wine reg "$@" /f >/dev/null 2>&1; }
# A registry value as `wine reg query` shows it (wine reg is 32-bit: it sees the view the
# program reads), or nothing.
reg_value() { wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"; } # key name
wine_batch_calls() { tr -d '\r' 2>/dev/null <"$WINEPREFIX/drive_c/assign-calls.txt"; }

# The languages and the texts the tests expect in each, one language a line (languages.txt).
languages() { grep -v '^#' "$ROOT/tests/wine/languages.txt"; }

# Starts Xvfb (a screen of XVFB_SCREEN, 1024x768x24 by default) on the display that
# QUENLATH_DISPLAY names (99 or :99), or else on the lowest free one, and exports DISPLAY.
wine_start_xvfb() {
    local display asked=${QUENLATH_DISPLAY:-}
    asked=${asked#:}
    display=$(mktemp)
    Xvfb ${asked:+":$asked"} -displayfd 3 -screen 0 "${XVFB_SCREEN:-1024x768x24}" \
        -nolisten tcp 3>"$display" >/dev/null 2>&1 &
    WINE_PIDS+=($!)
    poll 5 test -s "$display" || echo "Xvfb did not start${asked:+ on :$asked}" >&2
    export DISPLAY=":$(cat "$display")"
    rm -f "$display"
}

# ---- The window tool and the case runner ------------------------------------------

# The UTF-8 locale makes Wine pass non-ASCII arguments (titles, item texts) intact.
tool() { LC_ALL=C.UTF-8 wine "$BIN/windowtool.exe" "$@" | tr -d '\r'; }

# Whether the windows with that title (every visible one for "") show the text. The
# listing is read whole before it is searched: with pipefail, grep -q stopping early
# would make the writer's SIGPIPE read as "not found".
windows_show() { grep -qF -- "$2" <<<"$(tool list ${1:+"$1"})"; } # title fixed-text
wait_window() { poll 30 windows_show "$1" "window "; }
shows() { poll 30 windows_show "$2" "$3" || fail "$1 (no [$3] in windows titled [$2])"; } # what title text

# A screenshot of the newest visible window whose title matches (no window manager under
# Xvfb, so no frame or caption is drawn around it).
screenshot() { # file title-pattern
    import -window "$(xdotool search --onlyvisible --name "$2" 2>/dev/null | tail -1)" "$1" 2>/dev/null ||
        fail "no window [$2] for $1"
}

# Starts Morvessa.exe (or the program EXE names) in the background, after the Wine program
# and arguments given; PROGRAM is its ID.
start_program() { wine "$@" "${EXE:-$BIN/Morvessa.exe}" & PROGRAM=$! WINE_PIDS+=($!); }
open_dialog() { start_program "$@" && wait_window Quenlath || fail "the main dialog did not appear"; }
wait_ends() { poll "$2" not kill -0 "$1" 2>/dev/null || fail "$3 did not end within $2 s"; } # pid seconds what
# Presses a button of the program's window (2: Cancel) and waits for the program to end.
close_with() { tool click Quenlath "$1"; wait_ends "$PROGRAM" 20 "Morvessa.exe ($2)"; } # button what

# Picks F: in the main dialog and presses OK: the notice must appear unless HideMsg hides it.
pick_f() { # what [hidden]
    tool select Quenlath 1002 F:
    tool click Quenlath 1
    [ "${2:-}" = hidden ] || poll 10 windows_show Quenlath "control id=1003" || fail "$1: the notice did not appear"
}

# Opens the About box of the main dialog, checks its version label (and takes a
# screenshot) and closes it: the main dialog is usable again.
check_about() { # about-title expected-label [screenshot]
    tool post Quenlath syscommand 32989
    shows "no About box" "$1" "control id=1006"
    [ -z "${3:-}" ] || screenshot "$3" "$1"
    check_eq "About version label" "$2" "$(tool list "$1" | sed -n 's/^  control id=1006 text=//p')"
    tool click "$1" 1
    poll 10 not windows_show "$1" "control id=1006" || fail "the About box did not close"
    windows_show Quenlath "window enabled=1" || fail "the main dialog stayed disabled"
}

# A message box of the program; its OK ends the program.
expect_message_box() { # text what [screenshot]
    poll 75 windows_show Quenlath "$1" || fail "$2: no message [$1]"
    [ -z "${3:-}" ] || screenshot "$3" Quenlath
    close_with 1 "$2"
}

fail() { echo "    FAIL: $*"; CASE_OK=0; }
check_eq() { [ "$2" = "$3" ] || fail "$1: expected [$2], got [$3]"; } # what expected actual

# Runs the cases (when none is given, every case_ function of the script, in its order),
# calling AFTER_EACH_CASE, when set, after each. A case that runs long (one waits out the
# program's 60 s) says so every 30 s.
run_cases() { # suite [case...]
    local cases=("${@:2}") failed=() started ticker
    [ $# -gt 1 ] || mapfile -t cases < <(sed -n 's/^case_\([a-z0-9_]*\)() {.*/\1/p' "$0")
    for CASE in "${cases[@]}"; do
        CASE_OK=1 started=$SECONDS
        echo "[ RUN  ] $CASE"
        while sleep 30 && kill -0 $$; do echo "    ... $CASE still runs ($((SECONDS - started)) s)"; done 2>/dev/null &
        ticker=$!
        "case_$CASE"
        pkill -P "$ticker"; kill "$ticker" 2>/dev/null # its sleep, then the loop if still there
        ${AFTER_EACH_CASE:-}
        [ "$CASE_OK" = 1 ] || failed+=("$CASE")
        echo "[ $([ "$CASE_OK" = 1 ] && echo " OK " || echo FAIL) ] $CASE ($((SECONDS - started)) s)"
    done
    echo "$1: $((${#cases[@]} - ${#failed[@]})) passed, ${#failed[@]} failed${failed[*]:+ (${failed[*]})}"
    [ ${#failed[@]} = 0 ]
}
