@echo off
rem assign.bat CURRENT: NEW:
rem Moves the volume that has the drive letter CURRENT: to the letter NEW:, for example
rem "assign.bat E: F:". Quenlath (Morvessa.exe) starts it, hidden and as an administrator,
rem from its program folder. It works on the volume's GUID path, so an optical drive with
rem no disc in the tray moves too. Removing a letter is lasting: a volume whose letter was
rem removed and not replaced keeps no letter after a restart, hence the way back below.
rem
rem Exit codes:
rem    0  done: the volume has the new letter
rem    1  not exactly two arguments; nothing changed
rem    2  the first argument is not a letter A to Z followed by a colon; nothing changed
rem    3  the second argument is not a letter C to Z followed by a colon; nothing changed
rem    4  both arguments name the same letter; nothing changed
rem    5  mountvol.exe is not in the system folder, or it lists no volume; nothing changed
rem    6  no volume has the current letter; nothing changed
rem    7  the new letter already names a volume; nothing changed
rem    8  the new letter already names a DOS device (subst or network drive); nothing changed
rem    9  the current letter could not be removed; nothing changed
rem   10  the new letter could not be assigned; the volume has its current letter again
rem   11  the new letter could not be assigned nor the current one put back, or that could
rem       not be confirmed: the volume may have no letter now; see it in Disk Management
rem   12  another change was still running after about 10 seconds; nothing changed
rem
rem Only the system's own tools are run, by their full paths. A 32-bit cmd.exe (the one a
rem 32-bit program starts) sees SysWOW64 as System32; it reaches the 64-bit mountvol.exe
rem through Sysnative, which exists only for 32-bit processes on 64-bit Windows.

setlocal EnableExtensions DisableDelayedExpansion
rem Set in the environment, these would hide the values cmd computes.
set "CD="
set "ERRORLEVEL="

rem %~N is argument N without its quotes. Only where that is empty is %N itself read: it
rem then holds nothing but quotes ("" or a lone "), which cannot break the line.
set "ARG1=%~1"
set "ARG2=%~2"
set "ARG3=%~3"
if defined ARG3 goto :wrong_count
set "ARG3=%3"
if defined ARG3 goto :wrong_count
if defined ARG2 goto :count_ok
set "ARG2=%2"
if not defined ARG2 goto :wrong_count
:count_ok

rem The drive may have A: or B:; the new letter is never one of those, kept for floppies.
set "LETTERS=C D E F G H I J K L M N O P Q R S T U V W X Y Z"
call :drive_letter ARG1 CURRENT "A B %LETTERS%"
if errorlevel 1 (
    echo assign: the first argument is not a drive letter A: to Z:. 1>&2
    exit /b 2
)
call :drive_letter ARG2 NEW "%LETTERS%"
if errorlevel 1 (
    echo assign: the second argument is not a drive letter C: to Z:. 1>&2
    exit /b 3
)
if "%CURRENT%"=="%NEW%" (
    echo assign: both arguments name %NEW%. 1>&2
    exit /b 4
)

if not defined SystemRoot goto :no_tool
set "MOUNTVOL=%SystemRoot%\Sysnative\mountvol.exe"
if not exist "%MOUNTVOL%" set "MOUNTVOL=%SystemRoot%\System32\mountvol.exe"
if not exist "%MOUNTVOL%" goto :no_tool
rem "for /f" runs its command through %ComSpec%.
set "ComSpec=%SystemRoot%\System32\cmd.exe"
rem The current folder may be on the volume that loses its letter.
cd /d "%SystemRoot%"

rem One change at a time: the change's output goes to a lock file, which cmd holds open and
rem unshared until the change ends, so a second run cannot open it and tries again each
rem second. Its error output is discarded with the "file in use" text of each try, so the
rem change leaves its message in MESSAGE.
set "LOCK=%SystemRoot%\Temp\Quenlath-assign.lock"
set "TRIES=10"
:take_lock
set "RESULT="
call :change 2>nul >"%LOCK%"
if defined RESULT goto :report
set /a TRIES-=1
if %TRIES% gtr 0 (
    "%SystemRoot%\System32\ping.exe" -n 2 127.0.0.1 >nul
    goto :take_lock
)
set "RESULT=12"
set "MESSAGE=another change is still running, or %LOCK% cannot be written."
:report
if defined MESSAGE echo assign: %MESSAGE% 1>&2
exit /b %RESULT%

:wrong_count
echo usage: assign.bat CURRENT: NEW:   (drive letters: A: to Z:, then C: to Z:) 1>&2
exit /b 1

:no_tool
echo assign: mountvol.exe is not in the system folder. 1>&2
exit /b 5

rem :change sets RESULT to the exit code and MESSAGE to what to say. Each step is confirmed
rem by listing the volumes again; a step that cannot be confirmed is undone.
:change
call :result 11 "the change stopped unexpectedly; see the drive letters in Disk Management."
call :volumes
set "VOLUME=%AT_CURRENT%"
if "%VOLUME%"=="unknown" (call :result 5 "mountvol.exe lists no volume." & exit /b)
if "%VOLUME%"=="none" (call :result 6 "no volume has the letter %CURRENT%." & exit /b)
if not "%AT_NEW%"=="none" (call :result 7 "%NEW% already names a volume." & exit /b)
rem A letter that names no volume may still name a DOS device, such as a subst or network
rem drive: changing to its root folder then succeeds. ("if exist X:\" is no test: it is
rem false for some drives that exist.)
cd /d %NEW%\ 2>nul
if /i "%CD:~0,2%"=="%NEW%" (call :result 8 "%NEW% is already in use." & exit /b)
cd /d "%SystemRoot%"

"%MOUNTVOL%" %CURRENT%\ /D
call :volumes
if "%AT_CURRENT%"=="%VOLUME%" (call :result 9 "the letter %CURRENT% could not be removed." & exit /b)
set "FAILED=9"
set "WHY=the removal of %CURRENT% could not be confirmed"
if not "%AT_CURRENT%"=="none" goto :way_back

"%MOUNTVOL%" %NEW%\ %VOLUME%
call :volumes
if "%AT_NEW%"=="%VOLUME%" (call :result 0 "" & exit /b)
set "FAILED=10"
set "WHY=%NEW% could not be assigned"
rem Assigned perhaps, but not confirmed: the letter is removed again, so that the volume
rem cannot end with both letters.
if "%AT_NEW%"=="unknown" "%MOUNTVOL%" %NEW%\ /D

:way_back
"%MOUNTVOL%" %CURRENT%\ %VOLUME%
call :volumes
if "%AT_CURRENT%"=="%VOLUME%" if not "%AT_NEW%"=="%VOLUME%" (
    call :result %FAILED% "%WHY%; the volume has %CURRENT% again."
    exit /b
)
call :result 11 "%WHY%, and %CURRENT% could not be put back: give the volume %VOLUME% its letter in Disk Management."
exit /b

:result
set "RESULT=%~1"
set "MESSAGE=%~2"
exit /b 0

rem :drive_letter INPUT OUTPUT LETTERS
rem Sets the variable OUTPUT to the upper-case form of the variable INPUT's value when that
rem is one of LETTERS followed by a colon; clears it and fails otherwise. The value is
rem compared through delayed expansion, so quotes or "&" in it cannot break the command.
:drive_letter
setlocal EnableDelayedExpansion
set "LETTER="
for %%L in (%~3) do (
    if /i "!%~1!"=="%%L:" set "LETTER=%%L:"
)
endlocal & set "%~2=%LETTER%"
if not defined %~2 exit /b 1
exit /b 0

rem :volumes sets AT_CURRENT and AT_NEW to the volume GUID path (\\?\Volume{GUID}\) that
rem has each letter, or to "none"; both are "unknown" when mountvol lists no volume at all.
rem mountvol with no argument lists each volume's GUID path and below it, indented, its
rem mount points. Split at braces and spaces, only lines of those two forms count, whatever
rem the language of the rest.
:volumes
setlocal EnableDelayedExpansion
set "LISTED="
set "ABOVE="
set "AT_CURRENT=none"
set "AT_NEW=none"
for /f "tokens=1-3 delims={} " %%A in ('""%MOUNTVOL%" 2>nul"') do (
    if "%%A%%C"=="\\?\Volume\" (
        set "LISTED=1"
        set "ABOVE=%%A{%%B}%%C"
    )
    if /i "%%A"=="%CURRENT%\" set "AT_CURRENT=!ABOVE!"
    if /i "%%A"=="%NEW%\" set "AT_NEW=!ABOVE!"
)
if not defined LISTED (
    set "AT_CURRENT=unknown"
    set "AT_NEW=unknown"
)
endlocal & set "AT_CURRENT=%AT_CURRENT%" & set "AT_NEW=%AT_NEW%"
exit /b 0
