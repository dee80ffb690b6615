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
wine_reg add 'HKCU\Software\Wine' /v Version /d win10
wine_reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null
# The scenarios that run in a process of their own (StartupSequenceTest.cpp) print
# GoogleTest's banner and a one-test summary each: those lines go, a failing scenario's
# failures stay. The run's own note of its disabled tests goes too: they are those scenarios.
DISPLAY= wine "$bin/win32_tests.exe" --gtest_brief=1 "$@" 2>&1 | tr -d '\r' |
    sed -e '/^Running main() from/d' -e '/^\[==========\] 1 test from 1 test suite ran\./d' \
        -e '/^\[  PASSED  \] 1 test\.$/d' -e '/^ *YOU HAVE [0-9]* DISABLED TESTS\?$/d' -e '/^$/d'
