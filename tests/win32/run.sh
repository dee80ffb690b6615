#!/usr/bin/env bash
# Runs the tests of the Win32 code (win32_tests.exe) under Wine, in a throwaway prefix
# copied from a booted template that is kept beside the build.
#   tests/win32/run.sh <folder with win32_tests.exe> [gtest arguments...]
set -euo pipefail
bin=$(cd "$1" && pwd)
shift
template=$bin/../wine-template
prefix=$(mktemp -d "${TMPDIR:-/tmp}/quenlath-win32.XXXXXX")
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
finish() {
    WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true
    rm -rf "$prefix"
}
trap finish EXIT

if [ ! -f "$template/system.reg" ]; then
    rm -rf "$template"
    WINEPREFIX="$template" wineboot -i >/dev/null 2>&1
    # Windows without a display: the null graphics driver.
    WINEPREFIX="$template" wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f \
        >/dev/null 2>&1
    WINEPREFIX="$template" wineserver -w
fi
cp -a "$template/." "$prefix"
DISPLAY= WINEPREFIX="$prefix" wine "$bin/win32_tests.exe" --gtest_brief=1 "$@" 2>&1 | tr -d '\r'
