#pragma once
// The change's decisions, on plain values: where assign.bat is, how cmd.exe is told to run
// it, how long the wait has left, and what the user is told when the change has ended.

#include "common/WideString.h"

#include <cstddef>
#include <cstdint>

// Whether the text is an absolute path on a drive: a letter, a colon and a backslash.
bool IsAbsolutePath(const wchar16* pszPath);
// The batch file under the program-files folder. False, with nothing to launch, when the
// folder is unknown (null or empty), not an absolute path, holds a character that cmd.exe
// reads as more than text even inside quotes (%, !, "), or the path does not fit: the
// batch file runs with administrator rights, and such a path could make cmd run another
// file than the one the program checked.
bool BatchPath(const wchar16* pszProgramFiles, wchar16* pszPath, size_t cchPath);
// "E: F:"
bool BatchParameters(const wchar16* pszCurrent, const wchar16* pszNew, wchar16* pszParameters,
                     size_t cchParameters);
// "<system folder>\cmd.exe"
bool CommandProcessorPath(const wchar16* pszSystemFolder, wchar16* pszPath, size_t cchPath);
// The command line that runs the batch file through cmd.exe: without AutoRun commands (/d),
// without delayed expansion (/v:off), its outer quotes always removed (/s).
bool BatchCommandLine(const wchar16* pszCommandProcessor, const wchar16* pszBatchPath,
                      const wchar16* pszParameters, wchar16* pszCommandLine, size_t cchCommandLine);

// Milliseconds left of a wait of dwTimeoutMs that began at dwStartMs, at dwNowMs; both are
// GetTickCount values, which wrap to 0 after 49.7 days.
uint32_t WaitTimeLeft(uint32_t dwStartMs, uint32_t dwNowMs, uint32_t dwTimeoutMs);

// How the change that the batch file makes ended.
struct CChangeResult {
    enum Kind { BatchMissing, NotStarted, Ended } kind;
    uint32_t dwExitCode = 0;     // for Ended
    bool bDriveHasLetter = true; // for Ended: the drive found with a letter afterwards
};
// Whether the drive is looked for again before the user is told: after every ending of the
// batch file but exit code 0, since a batch file cut short says nothing reliable (a
// process ended from outside may even give 0 under Wine, but 1 on Windows).
bool ShouldLookForDriveAgain(const CChangeResult& result);
// The string that tells the user what happened and what to do; 0 after a change that
// succeeded.
unsigned ChangeOutcomeMessage(const CChangeResult& result);
