# Shared by the Wine test scripts, scripts/run and scripts/bench: throwaway prefixes copied
# from one booted template, a planted machine, Xvfb, the window tool, and the case runner.
# A case records failures with fail/check_eq and goes on, so that it always reaches its
# cleanup; `run_cases NAME [case...]` prints "NAME: N passed, M failed". Every process and
# server a script starts is ended by its own ID in wine_cleanup.

set -uo pipefail

WINE_LIB_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
ROOT=$(cd "$WINE_LIB_DIR/../.." && pwd)
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko installs, and no menu entries outside the prefix for installed shortcuts.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
WINE_TEMPLATE=$ROOT/build/wine/template

CDROM_INTERFACE='{53f56308-b6bf-11d0-94f2-00a0c91efb8b}'
IDE_INSTANCE='IDE\CDROMVELTRANO_DVD-RW_1.00\5&1A2B3C&0&1.0.0'
USB_INSTANCE='USB\VID_2B47&PID_0801\KV0123456789'
PROGRAM_FOLDER='C:\Program Files (x86)\Korvane\morvessa'
PRODUCT_KEY='HKLM\Software\Korvane\Morvessa'

WINE_PIDS=()
WINE_PREFIXES=()
XVFB_PID=""
PASSED=0
FAILED=0
FAILURES=()

wine_track() { WINE_PIDS+=("$1"); }

wine_cleanup() {
    local pid prefix
    for pid in "${WINE_PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
    for prefix in "${WINE_PREFIXES[@]}"; do
        WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true
        rm -rf "$prefix"
    done
    if [ -n "$XVFB_PID" ]; then kill "$XVFB_PID" 2>/dev/null && wait "$XVFB_PID" 2>/dev/null; fi
    WINE_PIDS=() WINE_PREFIXES=() XVFB_PID=""
}

# Starts a test script: BIN is its first argument, WORK its own folder under build/wine.
suite_start() { # suite bin-folder
    BIN=$(cd "$2" && pwd)
    WORK=$ROOT/build/wine/$1
    rm -rf "$WORK"
    mkdir -p "$WORK"
    trap 'wine_cleanup; rm -rf "$WORK"' EXIT
}

# Runs the command every 0.2 s until it succeeds, for at most that many seconds.
poll() { # seconds command...
    local end=$((SECONDS + $1))
    shift
    until "$@"; do
        [ "$SECONDS" -lt "$end" ] || return 1
        sleep 0.2
    done
}
not() { ! "$@"; }

# The booted template is made once and kept: booting takes about 20 s, a copy well under
# one. Its DLL folders are hard links in every copy: Wine writes none of those files, and
# the tests only add files there.
wine_new_prefix() { # prefix [template]
    local template=${2:-$WINE_TEMPLATE} dir
    local shared=(drive_c/windows/system32 drive_c/windows/syswow64 drive_c/windows/winsxs)
    if [ ! -f "$template/system.reg" ]; then
        rm -rf "$template.new"
        mkdir -p "$template.new"
        WINEPREFIX="$template.new" wineboot -i >/dev/null 2>&1
        WINEPREFIX="$template.new" wine_map_cjk_fonts
        WINEPREFIX="$template.new" wineserver -w
        mv "$template.new" "$template"
    fi
    export WINEPREFIX=$1
    WINE_PREFIXES+=("$1")
    rm -rf "$1"
    mkdir -p "$1"
    tar -C "$template" "${shared[@]/#/--exclude=./}" -cf - . | tar -C "$1" -xf -
    for dir in "${shared[@]}"; do cp -al "$template/$dir" "$1/$dir"; done
}

# Imports the .reg text on standard input, which begins after the header line, as UTF-16
# (it may hold any character); keys under HKLM\Software go to the 64-bit view.
wine_import_reg() {
    local file
    file=$(mktemp --suffix=.reg)
    { printf 'Windows Registry Editor Version 5.00\n\n'; cat; } | iconv -f utf-8 -t utf-16 >"$file"
    wine reg import "$(winepath -w "$file")" /reg:64 >/dev/null 2>&1
    rm -f "$file"
}

# CJK glyphs need a CJK font mapped for the dialog fonts.
wine_map_cjk_fonts() {
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\n"%s"="WenQuanYi Micro Hei"\n' \
        "ＭＳ Ｐゴシック" "宋体" | wine_import_reg
}

# The keys that plant one device exposing one interface class.
wine_device_reg() { # instance class interface
    local hashed=${1//\\/#} escaped=${1//\\/\\\\} key='HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet'
    local link="$key\\Control\\DeviceClasses\\$3\\##?#$hashed#$3"
    printf '[%s]\n"ClassGUID"="%s"\n\n' "$key\\Enum\\$1" "$2"
    printf '[%s]\n"DeviceInstance"="%s"\n\n' "$link" "$escaped"
    printf '[%s\\#]\n"SymbolicLink"="\\\\\\\\?\\\\%s#%s"\n\n' "$link" "$hashed" "$3"
    printf '[%s\\#\\Control]\n"Linked"=dword:00000001\n\n' "$link"
}

# Plants the supported IDE drive (or, with "usb", the USB one) with a CD-ROM letter.
# The mount manager reads drive types only when the server starts, hence the restart.
wine_plant_drive() { # ide|usb letter
    local letter=${2,,}
    {
        if [ "$1" = usb ]; then
            wine_device_reg "$USB_INSTANCE" '{36fc9e60-c465-11cf-8056-444553540000}' \
                '{a5dcbf10-6530-11d2-901f-00c04fb951ed}'
        else
            wine_device_reg "$IDE_INSTANCE" '{4d36e965-e325-11ce-bfc1-08002be10318}' "$CDROM_INTERFACE"
        fi
        printf '[HKEY_LOCAL_MACHINE\\Software\\Wine\\Drives]\n"%s:"="cdrom"\n' "$letter"
    } | wine_import_reg
    mkdir -p "$WINEPREFIX/drive_$letter"
    ln -sfn "$WINEPREFIX/drive_$letter" "$WINEPREFIX/dosdevices/$letter:"
    wineserver -k 2>/dev/null || true
    wineserver -w
}

# The mount table is rebuilt whenever the server starts, so the server is kept alive
# (wineserver -p) and the Windows-style entry is written after it came up. Wine names a
# letter's volume \\?\Volume{0...0XX}\, XX the letter's code.
wine_plant_mount_entry() { # letter ide|usb
    local path="\\??\\IDE#CDROMVELTRANO_DVD-RW_1.00#5&1a2b3c&0&1.0.0#$CDROM_INTERFACE" name
    [ "$2" = usb ] && path="\\??\\USBSTOR#CdRom&Ven_Korvane&Prod_Slim_DVD&Rev_1.00#KV0123456789&0#$CDROM_INTERFACE"
    name=$(printf '\\??\\Volume{00000000-0000-0000-0000-0000000000%02x}' "'${1^^}")
    wineserver -p
    wine reg add 'HKLM\SYSTEM\MountedDevices' /v "$name" /t REG_BINARY /f \
        /d "$(printf '%s' "$path" | iconv -f utf-8 -t utf-16le | xxd -p | tr -d '\n')" >/dev/null 2>&1
}

# A machine: Xvfb, a fresh prefix, and the drive (ide, usb or none) at that letter.
machine() { # prefix-name ide|usb|none letter
    wine_start_xvfb
    wine_new_prefix "$WORK/$1"
    if [ "$2" = none ]; then
        wineserver -p
    else
        wine_plant_drive "$2" "$3"
        wine_plant_mount_entry "$3" "$2"
    fi
}

# A recording assign.bat in the program folder; each run appends its arguments to
# C:\assign-calls.txt.
wine_plant_recording_batch() {
    local folder="$WINEPREFIX/drive_c/Program Files (x86)/Korvane/morvessa"
    mkdir -p "$folder"
    printf '@echo off\r\necho %%1 %%2>> C:\\assign-calls.txt\r\n' >"$folder/assign.bat"
}
wine_batch_calls() { tr -d '\r' 2>/dev/null <"$WINEPREFIX/drive_c/assign-calls.txt"; }
batch_calls_are() { [ "$(wine_batch_calls)" = "$1" ]; }

# Starts Xvfb on a free display (a screen of XVFB_SCREEN, 1024x768x24 by default) and
# exports DISPLAY.
wine_start_xvfb() {
    local display=90
    while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do
        display=$((display + 1))
    done
    Xvfb ":$display" -screen 0 "${XVFB_SCREEN:-1024x768x24}" -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    export DISPLAY=":$display"
    poll 5 test -e "/tmp/.X11-unix/X$display" || echo "Xvfb did not start" >&2
}

# Private glibc locales, so that LANG selects Wine's interface language.
wine_make_locales() {
    export LOCPATH=${LOCPATH:-$ROOT/build/locales}
    local locale
    for locale in en_US fr_FR ja_JP zh_CN de_DE; do
        [ -d "$LOCPATH/$locale.UTF-8" ] || localedef -i "$locale" -f UTF-8 "$LOCPATH/$locale.UTF-8" 2>/dev/null
    done
}

# ---- The window tool and the case runner ------------------------------------------

# The UTF-8 locale makes Wine pass non-ASCII arguments (titles, item texts) intact.
tool() { LC_ALL=C.UTF-8 wine "$BIN/windowtool.exe" "$@" | tr -d '\r'; }

# Whether the windows with that title (every visible one for "") show the text. The
# listing is read whole before it is searched: with pipefail, grep -q stopping early
# would make the writer's SIGPIPE read as "not found".
windows_show() { grep -qF -- "$2" <<<"$(tool list ${1:+"$1"})"; } # title fixed-text
window_count() { tool list "$1" | grep -c '^window'; }
window_up() { [ "$(window_count "$1")" != 0 ]; }
control_text() { tool list "$1" | sed -n "s/^  control id=$2 .* text=//p"; } # title id
wait_window() { poll "${2:-30}" window_up "$1"; }

# A screenshot of the newest visible window whose title matches (no window manager under
# Xvfb, so no frame or caption is drawn around it).
screenshot() { # file title-pattern
    local window
    window=$(xdotool search --onlyvisible --name "$2" 2>/dev/null | tail -1)
    [ -n "$window" ] && import -window "$window" "$1" 2>/dev/null || fail "no window [$2] for $1"
}

# Starts Morvessa.exe (or the copy MORVESSA names) in the background, after the Wine
# program and arguments given; PROGRAM is its ID.
start_program() {
    wine "$@" "${MORVESSA:-$BIN/Morvessa.exe}" &
    PROGRAM=$!
    wine_track "$PROGRAM"
}
open_dialog() { # [arguments of start_program]
    start_program "$@"
    wait_window Quenlath || fail "the main dialog did not appear"
}
# Presses a button of the program's window (2: Cancel) and waits for the program to end.
close_with() { # button what
    tool click Quenlath "$1"
    wait_ends "$PROGRAM" 20 "Morvessa.exe ($2)"
}

# Picks F: in the main dialog and presses OK: the notice must appear.
pick_f() { # what
    tool select Quenlath 1002 F:
    tool click Quenlath 1
    poll 10 windows_show Quenlath "control id=1003" || fail "$1: the notice did not appear"
}

# A message box instead of the main dialog, or over it when "over" is given; its OK ends
# the program.
expect_message_box() { # text what [screenshot] [over]
    poll 75 windows_show Quenlath "$1" || fail "$2: no message [$1]"
    [ "${4:-}" = over ] || ! windows_show Quenlath "control id=1000" || fail "$2: the main dialog opened"
    [ -z "${3:-}" ] || screenshot "$3" Quenlath
    close_with 1 "$2"
}

ended() { ! kill -0 "$1" 2>/dev/null; }
wait_ends() { # pid seconds what
    if poll "$2" ended "$1"; then
        wait "$1" 2>/dev/null
    else
        fail "$3 did not end within $2 s"
    fi
}

fail() {
    echo "    FAIL: $*"
    CASE_OK=0
}
check_eq() { # what expected actual
    [ "$2" = "$3" ] || fail "$1: expected [$2], got [$3]"
}

# Runs the cases (every name in ALL_CASES when none is given), calling AFTER_EACH_CASE,
# when set, after each.
run_cases() { # suite [case...]
    local suite=$1 started
    shift
    for CASE in "${@:-${ALL_CASES[@]}}"; do
        CASE_OK=1
        started=$SECONDS
        echo "[ RUN  ] $CASE"
        "case_$CASE"
        [ -n "${AFTER_EACH_CASE:-}" ] && "$AFTER_EACH_CASE"
        if [ "$CASE_OK" = 1 ]; then
            PASSED=$((PASSED + 1))
            echo "[  OK  ] $CASE ($((SECONDS - started)) s)"
        else
            FAILED=$((FAILED + 1))
            FAILURES+=("$CASE")
            echo "[ FAIL ] $CASE ($((SECONDS - started)) s)"
        fi
    done
    [ "$FAILED" -eq 0 ] || echo "Failed: ${FAILURES[*]}"
    echo "$suite: $PASSED passed, $FAILED failed"
    [ "$FAILED" -eq 0 ]
}
