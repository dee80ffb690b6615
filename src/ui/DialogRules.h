#pragma once
// The dialogs' decisions, on plain values: which letters are offered, what OK does, and the
// About box's version text.

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

// Ends a text read from the registry after the bytes actually stored, since the registry
// does not promise a terminating NUL; at most cchText - 1 characters.
void TerminateStoredText(wchar16* pszText, size_t cchText, uint32_t cbStored);
