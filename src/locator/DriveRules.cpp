#include "locator/DriveRules.h"

#include "locator/DriveIds.h"

#include <limits>
#include <new>

namespace {

constexpr size_t kValueTextCapacity = 262;

// Zero bytes behind a mount-table value's data.
constexpr uint32_t kValuePadBytes = 10;

bool StartsWithNoCase(const wchar16* pszText, const wchar16* pszPrefix) {
    return StrCmpNI(pszText, pszPrefix, StrLen(pszPrefix)) == 0;
}

bool Contains(const wchar16* pszText, const wchar16* pszPart) {
    return StrStr(pszText, pszPart) != nullptr;
}

void CutAtInterfaceGuid(wchar16* pszText) {
    wchar16* pszCut = StrStr(pszText, g_szInterfaceGuidStart);
    if (pszCut != nullptr) {
        *pszCut = 0;
    }
}

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
    bool bHadGuid = Contains(pszKey, g_szInterfaceGuidStart);
    CutAtInterfaceGuid(pszKey);
    return Succeeded(result) || bHadGuid;
}

bool CopyUsbKey(const wchar16* pszId, wchar16* pszKey, size_t cchKey) {
    for (uint16_t i = 0; i < g_nUsbIdCount; ++i) {
        const wchar16* pszFragment = StrStr(pszId, g_apszUsbIds[i]);
        if (pszFragment != nullptr &&
            CopyKeyAfter(pszFragment, StrLen(g_apszUsbIds[i]), pszKey, cchKey)) {
            return true;
        }
    }
    return false;
}

} // namespace

bool IsSupportedDriveId(const wchar16* pszId) {
    if (Contains(pszId, g_szIdeVeltranoId) || Contains(pszId, g_szIdeSlimtypeId)) {
        return true;
    }
    for (uint16_t i = 0; i < g_nUsbIdCount; ++i) {
        if (Contains(pszId, g_apszUsbIds[i])) {
            return true;
        }
    }
    return false;
}

bool IsDvdRamDeviceId(const wchar16* pszId) {
    return StartsWithNoCase(pszId, g_szDvdRamIdPrefix);
}

bool IsSupportedIdeId(const wchar16* pszId) {
    return StartsWithNoCase(pszId, g_szIdeVeltranoId) || StartsWithNoCase(pszId, g_szIdeSlimtypeId);
}

bool DriveKeyOf(const wchar16* pszInstanceId, wchar16* pszKey, size_t cchKey) {
    wchar16 szWork[kInstanceIdCapacity] = {};
    StrCopy(szWork, kInstanceIdCapacity, pszInstanceId);
    StrUpper(szWork);

    if (CopyUsbKey(szWork, pszKey, cchKey)) {
        return true;
    }
    // Mount-table paths hold the IDE drives in their "#" form, so that is the key.
    if (Contains(szWork, g_szIdeVeltranoPath) || Contains(szWork, g_szIdeVeltranoId)) {
        return Succeeded(StrCopy(pszKey, cchKey, g_szIdeVeltranoPath));
    }
    if (Contains(szWork, g_szIdeSlimtypePath) || Contains(szWork, g_szIdeSlimtypeId)) {
        return Succeeded(StrCopy(pszKey, cchKey, g_szIdeSlimtypePath));
    }
    const wchar16* pszMarker = StrStr(szWork, g_szDvdRamIdMarker);
    return pszMarker != nullptr &&
           CopyKeyAfter(pszMarker, StrLen(g_szDvdRamIdMarker), pszKey, cchKey);
}

bool RebuildDvdRamId(const wchar16* pszValueText, wchar16* pszInstanceId, size_t cchInstanceId) {
    wchar16 szWork[kValueTextCapacity];
    StrCopy(szWork, kValueTextCapacity, pszValueText);
    CutAtInterfaceGuid(szWork);
    if (!Succeeded(StrCopy(pszInstanceId, cchInstanceId, g_szDvdRamIdPrefix))) {
        return false;
    }
    // The path prefix is taken to stand at the start; the "#" separators after it are kept.
    size_t cchPrefix = StrLen(g_szDvdRamPathPrefix);
    const wchar16* pszTail = StrLen(szWork) > cchPrefix ? szWork + cchPrefix : u"";
    if (!Succeeded(StrCat(pszInstanceId, cchInstanceId, pszTail))) {
        return false;
    }
    StrUpper(pszInstanceId);
    return true;
}

bool TextHasDriveKey(const wchar16* pszText, const wchar16* pszDriveKey) {
    if (pszDriveKey[0] == 0) {
        return false;
    }
    wchar16 szWork[kInstanceIdCapacity];
    StrCopy(szWork, kInstanceIdCapacity, pszText);
    StrUpper(szWork);
    return Contains(szWork, pszDriveKey);
}

// The extra byte rounds an odd size up to whole characters.
bool IsMountValueSizeAcceptable(uint32_t cbValue) {
    return cbValue <= std::numeric_limits<uint32_t>::max() - kValuePadBytes - 1;
}

CMountEntry::Allocation CMountEntry::Allocate(uint32_t cbValue) {
    if (!IsMountValueSizeAcceptable(cbValue)) {
        return Allocation::Refused;
    }
    size_t cchText = (size_t{cbValue} + kValuePadBytes + 1) / sizeof(wchar16);
    m_pText.reset(new (std::nothrow) wchar16[cchText]());
    return m_pText ? Allocation::Ok : Allocation::OutOfMemory;
}

EntryMatch MatchMountEntry(wchar16* pszText, wchar16* pszSearchKey, wchar16* pszDvdRamId,
                           size_t cchDvdRamId) {
    StrUpper(pszSearchKey);
    StrUpper(pszText);
    if (pszSearchKey[0] != 0 && Contains(pszText, pszSearchKey)) {
        return EntryMatch::Yes;
    }
    // Every drive of a supported IDE model has the same key, so the literals match by themselves.
    if (Contains(pszText, g_szIdeVeltranoPath) || Contains(pszText, g_szIdeSlimtypePath)) {
        return EntryMatch::Yes;
    }
    if (Contains(pszText, g_szDvdRamPathPrefix) &&
        RebuildDvdRamId(pszText, pszDvdRamId, cchDvdRamId)) {
        return EntryMatch::IfParentHasKey;
    }
    return EntryMatch::No;
}

bool ResolveDriveLetter(CMountFacts& facts, wchar16* pszSearchKey, wchar16* pchLetter) {
    *pchLetter = 0;
    for (wchar16 chLetter = u'A'; chLetter <= u'Z'; ++chLetter) {
        CMountEntry entry;
        CMountFacts::Entry read = facts.ReadEntry(chLetter, entry);
        if (read == CMountFacts::Entry::OutOfMemory) {
            return false;
        }
        if (read == CMountFacts::Entry::Missing) {
            continue;
        }
        wchar16 szDvdRamId[kInstanceIdCapacity];
        EntryMatch match =
            MatchMountEntry(entry.Text(), pszSearchKey, szDvdRamId, kInstanceIdCapacity);
        if (match == EntryMatch::Yes ||
            (match == EntryMatch::IfParentHasKey && facts.ParentHasDriveKey(szDvdRamId))) {
            *pchLetter = chLetter;
            return true;
        }
    }
    return false;
}
