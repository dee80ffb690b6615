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
rem    2  the first argument is not a letter C to Z followed by a colon; nothing changed
rem    3  the second argument is not a letter C to Z followed by a colon; nothing changed
rem    4  both arguments name the same letter; nothing changed
rem    5  mountvol.exe is not in the system folder; nothing changed
rem    6  no volume has the current letter; nothing changed
rem    7  the new letter already names a volume; nothing changed
rem    8  the new letter already names a DOS device (subst or network drive); nothing changed
rem    9  the current letter could not be removed; nothing changed
rem   10  the new letter could not be assigned; the volume has its current letter again
rem   11  the new letter could not be assigned nor the current one put back: the volume
rem       has no letter now; give it one in Disk Management
rem
rem Only the system's own mountvol.exe is run, by its full path. A 32-bit cmd.exe (the one
rem a 32-bit program starts) sees SysWOW64 as System32; it reaches the 64-bit tool through
rem Sysnative, which exists only for 32-bit processes on 64-bit Windows.

setlocal EnableExtensions DisableDelayedExpansion

rem Arguments are read without delayed expansion, so that "!" stays an ordinary character.
set "ARG1=%~1"
set "ARG2=%~2"
set "ARG3=%~3"
if defined ARG3 goto :wrong_count
rem Reached with %~3 empty: %3 is missing or "".
if not [%3]==[] goto :wrong_count
if defined ARG2 goto :count_ok
if [%2]==[] goto :wrong_count
:count_ok

call :drive_letter ARG1 CURRENT
if errorlevel 1 (
    echo assign: the first argument is not a drive letter C: to Z:. 1>&2
    exit /b 2
)
call :drive_letter ARG2 NEW
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

call :volume_at %CURRENT%\ VOLUME
if not defined VOLUME (
    echo assign: no volume has the letter %CURRENT%. 1>&2
    exit /b 6
)
call :volume_at %NEW%\ TAKEN
if defined TAKEN (
    echo assign: %NEW% already names a volume. 1>&2
    exit /b 7
)
rem A letter that names no volume may still name a DOS device, such as a subst or network
rem drive: changing to its root folder then succeeds. ("if exist X:\" is no test: it is
rem false for some drives that exist.)
cd /d %NEW%\ 2>nul
if /i "%CD:~0,2%"=="%NEW%" (
    echo assign: %NEW% is already in use. 1>&2
    exit /b 8
)
cd /d "%SystemRoot%"

"%MOUNTVOL%" %CURRENT%\ /D
call :volume_at %CURRENT%\ LEFT
if defined LEFT (
    echo assign: the letter %CURRENT% could not be removed. 1>&2
    exit /b 9
)

"%MOUNTVOL%" %NEW%\ %VOLUME%
call :volume_at %NEW%\ MOVED
if "%MOVED%"=="%VOLUME%" exit /b 0

echo assign: %NEW% could not be assigned; putting %CURRENT% back. 1>&2
"%MOUNTVOL%" %CURRENT%\ %VOLUME%
call :volume_at %CURRENT%\ BACK
if "%BACK%"=="%VOLUME%" exit /b 10
echo assign: %CURRENT% could not be put back; the volume %VOLUME% has no letter. 1>&2
exit /b 11

:wrong_count
echo usage: assign.bat CURRENT: NEW:   (two drive letters C: to Z:) 1>&2
exit /b 1

:no_tool
echo assign: mountvol.exe is not in the system folder. 1>&2
exit /b 5

rem :drive_letter INPUT OUTPUT
rem Sets the variable OUTPUT to the upper-case form of the variable INPUT's value when that
rem is one letter C to Z and a colon; clears it and fails otherwise. The value is compared
rem through delayed expansion, so quotes or "&" in it cannot break the command.
:drive_letter
setlocal EnableDelayedExpansion
set "LETTER="
for %%L in (C D E F G H I J K L M N O P Q R S T U V W X Y Z) do (
    if /i "!%~1!"=="%%L:" set "LETTER=%%L:"
)
endlocal & set "%~2=%LETTER%"
if not defined %~2 exit /b 1
exit /b 0

rem :volume_at MOUNT-POINT OUTPUT
rem Sets the variable OUTPUT to the volume GUID path mounted at MOUNT-POINT, such as
rem \\?\Volume{GUID}\, or clears it when there is none. mountvol prints the name indented
rem on a line of its own, then a blank line, or else an error text; split at braces and
rem spaces, only a line of the form of a volume name counts.
:volume_at
set "%~2="
for /f "tokens=1-3 delims={} " %%A in ('""%MOUNTVOL%" %~1 /L 2>nul"') do (
    if not defined %~2 if "%%A"=="\\?\Volume" if "%%C"=="\" set "%~2=%%A{%%B}%%C"
)
exit /b 0
