# Shared helpers for the tests that run the real Windows build under Wine and Xvfb.
# Source it; every process and server a test starts is ended by its own ID in
# wine_cleanup, and every prefix it made is removed.

set -euo pipefail

WINE_LIB_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="

CDROM_INTERFACE='{53f56308-b6bf-11d0-94f2-00a0c91efb8b}'
CDROM_CLASS='{4d36e965-e325-11ce-bfc1-08002be10318}'
USB_INTERFACE='{a5dcbf10-6530-11d2-901f-00c04fb951ed}'
USB_CLASS='{36fc9e60-c465-11cf-8056-444553540000}'
IDE_INSTANCE='IDE\CDROMVELTRANO_DVD-RW_1.00\5&1A2B3C&0&1.0.0'
USB_INSTANCE='USB\VID_2B47&PID_0801\KV0123456789'

WINE_PIDS=()
WINE_PREFIXES=()
XVFB_PID=""

# Records a background process so that cleanup ends it.
wine_track() { WINE_PIDS+=("$1"); }

wine_cleanup() {
    local pid prefix
    for pid in "${WINE_PIDS[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    for prefix in "${WINE_PREFIXES[@]}"; do
        WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true
        rm -rf "$prefix"
    done
    if [ -n "$XVFB_PID" ]; then
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
    fi
    WINE_PIDS=()
    WINE_PREFIXES=()
    XVFB_PID=""
}

# Makes a fresh, booted prefix at $1. A booted template is kept at $2 (when given) and
# copied, which is much faster than booting every time.
wine_new_prefix() {
    local prefix=$1 template=${2:-}
    WINE_PREFIXES+=("$prefix")
    rm -rf "$prefix"
    if [ -n "$template" ]; then
        if [ ! -f "$template/system.reg" ]; then
            WINEPREFIX="$template" wineboot -i >/dev/null 2>&1
            WINEPREFIX="$template" wineserver -w
        fi
        cp -a "$template" "$prefix"
    else
        WINEPREFIX="$prefix" wineboot -i >/dev/null 2>&1
        WINEPREFIX="$prefix" wineserver -w
    fi
}

# A .reg file that plants one device exposing one interface class (64-bit view).
wine_device_reg() {
    local instance=$1 class=$2 interface=$3
    local hashed=${instance//\\/#}
    local link="##?#${hashed}#${interface}"
    local escaped=${instance//\\/\\\\}
    cat <<REG
Windows Registry Editor Version 5.00

[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Enum\\${instance}]
"ClassGUID"="${class}"

[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\DeviceClasses\\${interface}\\${link}]
"DeviceInstance"="${escaped}"

[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\DeviceClasses\\${interface}\\${link}\\#]
"SymbolicLink"="\\\\\\\\?\\\\${hashed}#${interface}"

[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\DeviceClasses\\${interface}\\${link}\\#\\Control]
"Linked"=dword:00000001
REG
}

wine_import_reg() {
    local file
    file=$(mktemp --suffix=.reg)
    cat >"$file"
    WINEPREFIX="$WINEPREFIX" wine reg import "$(winepath -w "$file")" /reg:64 >/dev/null 2>&1
    rm -f "$file"
}

# Plants the supported IDE drive (or, with "usb", the USB one) with a CD-ROM letter.
# The mount manager reads drive types only when the server starts, hence the restart.
wine_plant_drive() {
    local kind=$1 letter=${2,,}
    if [ "$kind" = usb ]; then
        wine_device_reg "$USB_INSTANCE" "$USB_CLASS" "$USB_INTERFACE" | wine_import_reg
    else
        wine_device_reg "$IDE_INSTANCE" "$CDROM_CLASS" "$CDROM_INTERFACE" | wine_import_reg
    fi
    printf 'Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Software\\Wine\\Drives]\n"%s:"="cdrom"\n' \
        "$letter" | wine_import_reg
    mkdir -p "$WINEPREFIX/drive_$letter"
    ln -sfn "$WINEPREFIX/drive_$letter" "$WINEPREFIX/dosdevices/$letter:"
    WINEPREFIX="$WINEPREFIX" wineserver -k 2>/dev/null || true
    WINEPREFIX="$WINEPREFIX" wineserver -w
}

# The volume name Wine gives a letter: \\?\Volume{0...0XX}\ with XX the letter's code.
wine_volume_value_name() {
    printf '\\??\\Volume{00000000-0000-0000-0000-0000000000%02x}' "'${1^^}"
}

# The mount table is rebuilt whenever the server starts, so the server is kept alive
# (wineserver -p) and the Windows-style entry is written after it came up.
wine_plant_mount_entry() {
    local letter=$1 kind=$2 path hex
    if [ "$kind" = usb ]; then
        path="\\??\\USBSTOR#CdRom&Ven_Korvane&Prod_Slim_DVD&Rev_1.00#KV0123456789&0#${CDROM_INTERFACE}"
    else
        path="\\??\\IDE#CDROMVELTRANO_DVD-RW_1.00#5&1a2b3c&0&1.0.0#${CDROM_INTERFACE}"
    fi
    hex=$(printf '%s' "$path" | iconv -f utf-8 -t utf-16le | xxd -p | tr -d '\n')
    WINEPREFIX="$WINEPREFIX" wineserver -p
    WINEPREFIX="$WINEPREFIX" wine reg add 'HKLM\SYSTEM\MountedDevices' \
        /v "$(wine_volume_value_name "$letter")" /t REG_BINARY /d "$hex" /f >/dev/null 2>&1
}

# A recording assign.bat in the 32-bit program-files folder; each run appends its
# arguments to C:\assign-calls.txt.
wine_plant_recording_batch() {
    local folder="$WINEPREFIX/drive_c/Program Files (x86)/Korvane/morvessa"
    mkdir -p "$folder"
    printf '@echo off\r\necho %%1 %%2>> C:\\assign-calls.txt\r\n' >"$folder/assign.bat"
}

wine_batch_calls() { cat "$WINEPREFIX/drive_c/assign-calls.txt" 2>/dev/null | tr -d '\r' || true; }

# Starts Xvfb on a free display and exports DISPLAY.
wine_start_xvfb() {
    local display=${1:-}
    if [ -z "$display" ]; then
        display=90
        while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do
            display=$((display + 1))
        done
    fi
    Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    export DISPLAY=":$display"
    for _ in $(seq 50); do
        [ -e "/tmp/.X11-unix/X$display" ] && return 0
        sleep 0.1
    done
    echo "Xvfb did not start" >&2
    return 1
}

# Private glibc locales, so that LANG selects Wine's interface language.
wine_make_locales() {
    export LOCPATH=${LOCPATH:-$WINE_LIB_DIR/../../build/locales}
    mkdir -p "$LOCPATH"
    local locale
    for locale in en_US fr_FR ja_JP zh_CN de_DE; do
        [ -d "$LOCPATH/$locale.UTF-8" ] || localedef -i "$locale" -f UTF-8 "$LOCPATH/$locale.UTF-8" 2>/dev/null || true
    done
}

# CJK glyphs need a CJK font mapped for the dialog fonts.
wine_map_cjk_fonts() {
    local file
    file=$(mktemp --suffix=.reg)
    printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n"ＭＳ Ｐゴシック"="WenQuanYi Micro Hei"\r\n"宋体"="WenQuanYi Micro Hei"\r\n' |
        iconv -f utf-8 -t utf-16 >"$file"
    WINEPREFIX="$WINEPREFIX" wine regedit /S "$(winepath -w "$file")" >/dev/null 2>&1
    rm -f "$file"
}
