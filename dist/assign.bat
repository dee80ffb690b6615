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
rem    8  the new letter is already in use: it names a DOS device (subst or network drive), or
rem       the running account reconnects a network drive there (HKCU\Network); nothing changed
rem    9  the current letter could not be removed; nothing changed
rem   10  the new letter could not be assigned; the volume has its current letter again
rem   11  the new letter could not be assigned nor the current one put back, or that could
rem       not be confirmed: the volume may have no letter now; see it in Disk Management
rem   12  another change was still running after about 10 seconds; nothing changed
rem   13  the folder "lock" beside assign.bat is missing or cannot be written; nothing changed
rem
rem Each ending from 0 and 5 on is recorded in the Application event log, source "Quenlath",
rem event ID 100 + the exit code: information for 0, error for 11, warning for the rest.
rem Argument errors are not recorded: no change was begun, and their text is not fit to be
rem passed on to another command line. Nor is anything recorded without SystemRoot, nor on
rem Windows XP Home, which lacks eventcreate.exe.
rem
rem It runs elevated, so it trusts no file or folder a standard user can write, and no
rem environment variable but SystemRoot, which the program sets. Only the system's own tools
rem are run, by their full paths. A 32-bit cmd.exe (the one a 32-bit program starts) sees
rem SysWOW64 as System32; it reaches the 64-bit tools through Sysnative, which exists only
rem for 32-bit processes on 64-bit Windows.

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

rem Its lock and its files live in the folder "lock" beside it, which the installer made for
rem administrators and SYSTEM alone; a copy elsewhere has none and refuses to run.
rem %~dp0 is read before the current folder changes: a run by hand may name the batch
rem relative to it.
set "LOCKDIR=%~dp0lock"
set "LOCK=%LOCKDIR%\assign.lock"
set "LISTING=%LOCKDIR%\mountvol.txt"

if not defined SystemRoot goto :no_tool
call :system_tool mountvol MOUNTVOL
if not defined MOUNTVOL goto :no_tool
rem The current folder may be on the volume that loses its letter.
cd /d "%SystemRoot%"

rem One change at a time: the change's output goes to the lock file, which cmd holds open
rem and unshared until the change ends, so a second run cannot open it and tries again each
rem second. Its error output is discarded with the "file in use" text of each try, so the
rem change leaves its message in MESSAGE. A lock file that does not exist is held by no one:
rem then the folder is missing or cannot be written.
set "TRIES=10"
:take_lock
set "RESULT="
call :change 2>nul >"%LOCK%"
if defined RESULT goto :report
if not exist "%LOCK%" goto :no_lock
set /a TRIES-=1
if %TRIES% gtr 0 (
    "%SystemRoot%\System32\ping.exe" -n 2 127.0.0.1 >nul
    goto :take_lock
)
call :result 12 "another change is still running."
goto :report

:wrong_count
echo usage: assign.bat CURRENT: NEW:   (drive letters: A: to Z:, then C: to Z:) 1>&2
exit /b 1

:no_tool
call :result 5 "mountvol.exe is not in the system folder."
goto :report

:no_lock
call :result 13 "the folder lock beside assign.bat is missing or cannot be written; run the installed assign.bat."

:report
if not "%RESULT%"=="0" echo assign: %MESSAGE% 1>&2
call :record
exit /b %RESULT%

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
rem A network drive the account reconnects at sign-in, which an elevated process may not see
rem as a DOS device.
call :system_tool reg REG
if not defined REG goto :letter_free
"%REG%" query "HKCU\Network\%NEW:~0,1%" >nul 2>&1
if not errorlevel 1 (call :result 8 "%NEW% is already in use by a network drive of this account." & exit /b)
:letter_free

"%MOUNTVOL%" %CURRENT%\ /D
call :volumes
if "%AT_CURRENT%"=="%VOLUME%" (call :result 9 "the letter %CURRENT% could not be removed." & exit /b)
set "FAILED=9"
set "WHY=the removal of %CURRENT% could not be confirmed"
if not "%AT_CURRENT%"=="none" goto :way_back

"%MOUNTVOL%" %NEW%\ %VOLUME%
call :volumes
if "%AT_NEW%"=="%VOLUME%" (call :result 0 "done: the volume has the letter %NEW%." & exit /b)
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
rem mountvol with no argument prints its help, then each volume's GUID path and below it,
rem indented, its mount points: letters, folders, or "*** NO MOUNT POINTS ***". A line counts
rem only when all of it but its indent is a GUID path or a letter's root (X:\), whatever the
rem language of the rest: a folder mount point is never a letter, whatever its name. The
rem listing goes to a file and is read back from it: "for /f" over a command would run that
rem command through a second cmd, and so that cmd's AutoRun.
:volumes
setlocal
set "LISTED="
set "ABOVE=none"
set "AT_CURRENT=none"
set "AT_NEW=none"
rem A listing that cannot be removed first (held open) is not read again, stale.
del "%LISTING%" 2>nul
if exist "%LISTING%" goto :listed
"%MOUNTVOL%" >"%LISTING%" 2>nul
for /f "usebackq tokens=*" %%L in ("%LISTING%") do (
    set "LINE=%%L"
    call :listing_line
)
:listed
if not defined LISTED (
    set "AT_CURRENT=unknown"
    set "AT_NEW=unknown"
)
endlocal & set "AT_CURRENT=%AT_CURRENT%" & set "AT_NEW=%AT_NEW%"
exit /b 0

rem :listing_line reads LINE, a line of the listing without its indent. Its quotes become
rem apostrophes, which no GUID path or drive letter holds, so that they cannot end the
rem comparisons' own. A GUID path has 49 characters; the spaces after it keep every offset
rem within the text.
:listing_line
set "LINE=%LINE:"='%"
set "PADDED=%LINE%                                                 "
if "%PADDED:~0,11%%PADDED:~47,2%"=="\\?\Volume{}\" if "%LINE:~0,49%"=="%LINE%" (
    set "LISTED=1"
    set "ABOVE=%LINE%"
)
if /i "%LINE%"=="%CURRENT%\" set "AT_CURRENT=%ABOVE%"
if /i "%LINE%"=="%NEW%\" set "AT_NEW=%ABOVE%"
exit /b 0

rem :system_tool NAME VARIABLE sets VARIABLE to the path of the system's NAME.exe, the 64-bit
rem one on 64-bit Windows, or clears it when the system folder has none.
:system_tool
set "%2="
for %%T in ("%SystemRoot%\Sysnative\%1.exe" "%SystemRoot%\System32\%1.exe") do (
    if not defined %2 if exist %%T set "%2=%%~T"
)
exit /b 0

rem :record writes the ending to the Application event log through eventcreate.exe, which
rem Windows XP Home lacks: there nothing is recorded. Without SystemRoot the tool's path
rem would be a folder at the root of the current drive, which any user may create.
:record
if not defined SystemRoot exit /b 0
call :system_tool eventcreate EVENTCREATE
if not defined EVENTCREATE exit /b 0
set "TYPE=WARNING"
if "%RESULT%"=="0" set "TYPE=INFORMATION"
if "%RESULT%"=="11" set "TYPE=ERROR"
set /a "EVENT=100 + RESULT"
"%EVENTCREATE%" /L APPLICATION /T %TYPE% /SO Quenlath /ID %EVENT% /D "assign.bat %CURRENT% %NEW% ended with exit code %RESULT%: %MESSAGE%" >nul 2>&1
exit /b 0
