#include "ui/ChangeRules.h"

#include "res/resource.h"
#include "ui/DialogRules.h"

namespace {

constexpr wchar16 kBatchRelativePath[] = u"\\Korvane\\morvessa\\assign.bat";

// cmd.exe expands %NAME% (and, with delayed expansion, !NAME!) inside quotes too, and a
// quote ends them.
bool HoldsCommandCharacter(const wchar16* pszText) {
    for (; *pszText != 0; ++pszText) {
        if (*pszText == u'%' || *pszText == u'!' || *pszText == u'"') {
            return true;
        }
    }
    return false;
}

} // namespace

bool IsAbsolutePath(const wchar16* pszPath) {
    return LetterText(pszPath[0]) != nullptr && pszPath[1] == u':' && pszPath[2] == u'\\';
}

bool BatchPath(const wchar16* pszProgramFiles, wchar16* pszPath, size_t cchPath) {
    if (pszProgramFiles == nullptr || !IsAbsolutePath(pszProgramFiles) ||
        HoldsCommandCharacter(pszProgramFiles)) {
        return false;
    }
    return Succeeded(StrCopy(pszPath, cchPath, pszProgramFiles)) &&
           Succeeded(StrCat(pszPath, cchPath, kBatchRelativePath));
}

bool BatchParameters(const wchar16* pszCurrent, const wchar16* pszNew, wchar16* pszParameters,
                     size_t cchParameters) {
    return Succeeded(StrPrintf(pszParameters, cchParameters, u"%s %s", pszCurrent, pszNew));
}

bool CommandProcessorPath(const wchar16* pszSystemFolder, wchar16* pszPath, size_t cchPath) {
    return Succeeded(StrPrintf(pszPath, cchPath, u"%s\\cmd.exe", pszSystemFolder));
}

bool BatchCommandLine(const wchar16* pszCommandProcessor, const wchar16* pszBatchPath,
                      const wchar16* pszParameters, wchar16* pszCommandLine,
                      size_t cchCommandLine) {
    return Succeeded(StrPrintf(pszCommandLine, cchCommandLine,
                               u"\"%s\" /d /v:off /s /c \"\"%s\" %s\"", pszCommandProcessor,
                               pszBatchPath, pszParameters));
}

// The difference of two unsigned tick counts is the time between them across a wrap too.
uint32_t WaitTimeLeft(uint32_t dwStartMs, uint32_t dwNowMs, uint32_t dwTimeoutMs) {
    uint32_t dwElapsed = dwNowMs - dwStartMs;
    return dwElapsed < dwTimeoutMs ? dwTimeoutMs - dwElapsed : 0;
}

bool ShouldLookForDriveAgain(const CChangeResult& result) {
    return result.kind == CChangeResult::Ended && result.dwExitCode != 0;
}

unsigned ChangeOutcomeMessage(const CChangeResult& result) {
    switch (result.kind) {
    case CChangeResult::BatchMissing:
        return IDS_BATCH_MISSING;
    case CChangeResult::NotStarted:
        return IDS_CHANGE_NOT_MADE;
    case CChangeResult::Ended:
        break;
    }
    if (result.dwExitCode == 0) {
        return 0;
    }
    // Whatever the code says, a drive left without a letter is what the user must mend.
    if (!result.bDriveHasLetter) {
        return IDS_CHANGE_NO_LETTER;
    }
    // The batch file's exit codes, grouped as the user needs them.
    switch (result.dwExitCode) {
    case 6: // no volume has the current letter
    case 7: // the new letter names a volume
    case 8: // the new letter names another device
        return IDS_CHANGE_CONFLICT;
    case 1: // arguments
    case 2:
    case 3:
    case 4:
    case 5:  // no mountvol.exe
    case 9:  // the current letter could not be removed
    case 10: // the new letter could not be assigned, the old one is back
    case 12: // another change was still running
    case 13: // no usable lock folder beside the batch file
        return IDS_CHANGE_NOT_MADE;
    case 11: // neither letter could be assigned, or the way back not confirmed
        return IDS_CHANGE_NO_LETTER;
    default:
        return IDS_CHANGE_UNKNOWN;
    }
}
