#!/usr/bin/env bash
# Runs the tests of the Win32 code (win32_tests.exe) under Wine, in a throwaway prefix
# without a display: Wine's null graphics driver makes the windows the tests need. Wine
# plays Windows 10.
#   tests/win32/run.sh <folder with win32_tests.exe> [gtest arguments...]
source "$(dirname "${BASH_SOURCE[0]}")/../wine/lib.sh"
bin=$(cd "$1" && pwd)
shift
trap wine_cleanup EXIT
wine_new_prefix "$ROOT/build/wine/win32-$$"
printf '[HKEY_CURRENT_USER\\Software\\Wine]\n"Version"="win10"\n[HKEY_CURRENT_USER\\Software\\Wine\\Drivers]\n"Graphics"="null"\n' | wine_import_reg
DISPLAY= wine "$bin/win32_tests.exe" --gtest_brief=1 "$@" 2>&1 | tr -d '\r'
