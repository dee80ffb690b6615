#pragma once
// The dialogs' decisions, on plain values: which letters are offered, what OK does, where
// the batch file is and what it is given, and the About box's version text.

#include "common/WideString.h"

#include <cstddef>
#include <cstdint>

constexpr size_t kNewLetterCount = 24;

// The list text of a drive letter ("E:"), in upper case; null for a character that is no
// letter A to Z.
const wchar16* LetterText(wchar16 chLetter);

// A letter is free only when the system says its DOS name is not defined: the query
// answered nothing and ERROR_FILE_NOT_FOUND. Any other failure (a target longer than the
// buffer, as a drive substituted for a deep folder gives) means the name exists. And no
// network drive that the signed-in user remembers may hold it: opening its Network key
// must answer ERROR_FILE_NOT_FOUND too, since a key there but unreadable still holds it.
bool IsFreeLetter(uint32_t cchTarget, uint32_t dwLastError, uint32_t dwNetworkKeyStatus);

// The free letters among C: to Z:, in that order ("A:" and "B:" are never offered).
struct COfferedLetters {
    const wchar16* apszLetters[kNewLetterCount];
    size_t nCount;
};
// freeLetters: bit n set when the letter 'A' + n is free.
COfferedLetters OfferedLetters(uint32_t freeLetters);

// The notice is shown unless HideMsg was read as a non-zero DWORD.
bool ShouldShowNotice(bool bHideMsgRead, uint32_t dwHideMsg);

// What the main dialog knows when OK is pressed, after the notice.
struct COkFacts {
    bool bCurrentFound;
    bool bFreeFound;
    bool bDriveFoundAgain;
    wchar16 chLetterAgain;
    wchar16 chLetterAtStart;
    bool bNewLetterFree;
};
struct COkAction {
    enum Kind { Nothing, Warn, Launch } kind;
    unsigned nStringId = 0; // for Warn
};
COkAction DecideOk(const COkFacts& facts);

// Whether the text is an absolute path on a drive: a letter, a colon and a backslash.
bool IsAbsolutePath(const wchar16* pszPath);
// The batch file under the program-files folder. False, with nothing to launch, when the
// folder is unknown (null or empty), not an absolute path, or the path does not fit: the
// batch file runs with administrator rights, and a relative or cut path could name
// another program.
bool BatchPath(const wchar16* pszProgramFiles, wchar16* pszPath, size_t cchPath);
// "E: F:"
bool BatchParameters(const wchar16* pszCurrent, const wchar16* pszNew, wchar16* pszParameters,
                     size_t cchParameters);
// The command line that runs the batch file through the system's own cmd.exe, without
// AutoRun commands (/d), its outer quotes always removed (/s).
bool BatchCommandLine(const wchar16* pszSystemFolder, const wchar16* pszBatchPath,
                      const wchar16* pszParameters, wchar16* pszCommandLine, size_t cchCommandLine);

// How the change that the batch file makes ended.
struct CChangeResult {
    enum Kind { BatchMissing, NotStarted, TimedOut, Exited } kind;
    uint32_t dwExitCode; // for Exited
};
// The string that tells the user what happened and what to do; 0 after a change that
// succeeded.
unsigned ChangeOutcomeMessage(const CChangeResult& result);

// Ends a text read from the registry after the bytes actually stored, since the registry
// does not promise a terminating NUL; at most cchText - 1 characters.
void TerminateStoredText(wchar16* pszText, size_t cchText, uint32_t cbStored);
