// Drive key extraction: the part of the drive's instance ID that its mount-table entry
// also holds, upper-cased.

#include "locator/CDAccess.h"
#include "locator/DriveIds.h"
#include "platform/Platform.h"

namespace {

// Copies what follows a token and the one separator after it into the key, cut at the
// first "#{". False when the text is longer than the key and its first cchKey - 1
// characters hold no "#{"; the cut text then stays in the key.
bool CopyKeyAfter(const wchar16* pszToken, size_t cchToken, wchar16* pszKey, size_t cchKey) {
    const wchar16* pszSource = pszToken + cchToken;
    if (*pszSource != 0) {
        ++pszSource;
    }
    StrResult result = StrCopy(pszKey, cchKey, pszSource);
    if (result == StrResult::InvalidArgument) {
        return false;
    }
    wchar16* pszCut = StrStr(pszKey, g_szInterfaceGuidStart);
    if (pszCut != nullptr) {
        *pszCut = 0;
    }
    return Succeeded(result) || pszCut != nullptr;
}

BOOL CopyLiteralKey(const wchar16* pszLiteral, wchar16* pszKey, size_t cchKey) {
    StrCopy(pszKey, cchKey, pszLiteral);
    return TRUE;
}

bool ContainsEither(const wchar16* pszText, const wchar16* pszFirst, const wchar16* pszSecond) {
    return StrStr(pszText, pszFirst) != nullptr || StrStr(pszText, pszSecond) != nullptr;
}

} // namespace

BOOL CCDAccess::ExtractDriveKey(const wchar16* pszInstanceId, wchar16* pszKey, size_t cchKey) {
    wchar16 szWork[kInstanceIdCapacity] = {};
    StrCopy(szWork, kInstanceIdCapacity, pszInstanceId);
    platform().CharUpperW(szWork);

    for (uint16_t i = 0; i < g_nUsbIdCount; ++i) {
        const wchar16* pszFragment = StrStr(szWork, g_apszUsbIds[i]);
        if (pszFragment != nullptr &&
            CopyKeyAfter(pszFragment, StrLen(g_apszUsbIds[i]), pszKey, cchKey)) {
            return TRUE;
        }
    }
    // Mount-table paths hold the IDE drives in their "#" form, so that is the key.
    if (ContainsEither(szWork, g_szIdeVeltranoPath, g_szIdeVeltranoId)) {
        return CopyLiteralKey(g_szIdeVeltranoPath, pszKey, cchKey);
    }
    if (ContainsEither(szWork, g_szIdeSlimtypePath, g_szIdeSlimtypeId)) {
        return CopyLiteralKey(g_szIdeSlimtypePath, pszKey, cchKey);
    }
    const wchar16* pszMarker = StrStr(szWork, g_szDvdRamIdMarker);
    if (pszMarker == nullptr) {
        return FALSE;
    }
    return CopyKeyAfter(pszMarker, StrLen(g_szDvdRamIdMarker), pszKey, cchKey) ? TRUE : FALSE;
}
