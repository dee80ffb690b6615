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
# The scenarios that run in a process of their own (StartupSequenceTest.cpp) print
# GoogleTest's banner and summary as well: a passing one's lines are dropped, a failing
# one's kept. The run's own note of its disabled tests goes too: they are those scenarios.
DISPLAY= wine "$bin/win32_tests.exe" --gtest_brief=1 "$@" 2>&1 | tr -d '\r' | awk '
    /^Running main\(\) from/ { if (runs++) { printf "%s", held; held = ""; child = 1 } next }
    child {
        held = held $0 "\n"
        if (/^\[  (PASSED|FAILED)  \] 1 test[.,]/) { if (/FAILED/) printf "%s", held; held = ""; child = 0 }
        next
    }
    /^ *YOU HAVE [0-9]+ DISABLED TESTS?$/ || /^$/ { next }
    { print }
    END { printf "%s", held }'
