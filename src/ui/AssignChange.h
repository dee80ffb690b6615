#pragma once
// The drive letter change itself: finds assign.bat in the program-files folder the system
// names, runs it hidden through the system's own cmd.exe, waits for it as long as it runs
// while the dialog keeps being served, and reads back how it ended.

#include "common/WideString.h"
#include "ui/ChangeRules.h"

#include <windows.h>

// Runs assign.bat with the two letters ("E:", "F:") and returns once it has ended, however
// long that takes: the program must not end, nor free its instance mutex, while a change
// runs. After 60 s a box owned by hDialog tells the user that the change still runs;
// meanwhile Windows Vista and later list hDialog as blocking the end of the session.
CChangeResult RunAssignChange(HWND hDialog, const wchar16* pszCurrent, const wchar16* pszNew);
