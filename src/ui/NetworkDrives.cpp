#include "ui/NetworkDrives.h"

#include "common/ScopedWin.h"

#include <sddl.h>

namespace {

// An account name is at most 256 characters, a domain name fewer.
constexpr size_t kNameCapacity = 260;

bool QuerySessionText(WTS_INFO_CLASS infoClass, wchar16 (&szText)[kNameCapacity]) {
    CScopedSessionText text;
    DWORD cbText = 0;
    if (!WTSQuerySessionInformationW(WTS_CURRENT_SERVER_HANDLE, WTS_CURRENT_SESSION, infoClass,
                                     text.Receive(), &cbText) ||
        text.Get() == nullptr) {
        return false;
    }
    return Succeeded(StrCopy(szText, kNameCapacity, AsText(text.Get())));
}

// "DOMAIN\user", or the user alone when the session names no domain.
bool SessionAccount(wchar16 (&szAccount)[2 * kNameCapacity]) {
    wchar16 szDomain[kNameCapacity];
    wchar16 szUser[kNameCapacity];
    if (!QuerySessionText(WTSDomainName, szDomain) || !QuerySessionText(WTSUserName, szUser) ||
        szUser[0] == 0) {
        return false;
    }
    return Succeeded(szDomain[0] == 0
                         ? StrCopy(szAccount, ARRAYSIZE(szAccount), szUser)
                         : StrPrintf(szAccount, ARRAYSIZE(szAccount), u"%s\\%s", szDomain, szUser));
}

constexpr size_t kSidTextCapacity = 192;

// The SID of the session's user as text ("S-1-5-21-…").
bool SignedInUserSid(wchar16 (&szSid)[kSidTextCapacity]) {
    wchar16 szAccount[2 * kNameCapacity];
    if (!SessionAccount(szAccount)) {
        return false;
    }
    BYTE abSid[SECURITY_MAX_SID_SIZE];
    DWORD cbSid = sizeof(abSid);
    wchar_t szDomain[kNameCapacity];
    DWORD cchDomain = kNameCapacity;
    SID_NAME_USE use = SidTypeUnknown;
    CScopedLocalText text;
    if (!LookupAccountNameW(nullptr, AsWide(szAccount), abSid, &cbSid, szDomain, &cchDomain,
                            &use) ||
        !ConvertSidToStringSidW(abSid, text.Receive())) {
        return false;
    }
    return Succeeded(StrCopy(szSid, kSidTextCapacity, AsText(text.Get())));
}

// The session's user stays the same while the program runs, and looking up a domain
// account may ask a domain controller: the list of new letters asks for 24 letters, so
// the SID is looked up once.
struct CSidLookup {
    bool bDone;
    bool bFound;
    wchar16 szSid[kSidTextCapacity];
};
CSidLookup g_signedInUser = {};

} // namespace

HKEY OpenSignedInUserHive(CScopedRegKey& hive) {
    if (!g_signedInUser.bDone) {
        g_signedInUser.bFound = SignedInUserSid(g_signedInUser.szSid);
        g_signedInUser.bDone = true;
    }
    HKEY hKey = nullptr;
    if (g_signedInUser.bFound && RegOpenKeyExW(HKEY_USERS, AsWide(g_signedInUser.szSid), 0,
                                               KEY_READ, &hKey) == ERROR_SUCCESS) {
        hive.Attach(hKey);
        return hKey;
    }
    return HKEY_CURRENT_USER;
}

LSTATUS NetworkDriveKeyStatus(wchar16 chLetter) {
    CScopedRegKey hive;
    HKEY hRoot = OpenSignedInUserHive(hive);
    wchar16 szKey[] = u"Network\\?";
    szKey[ARRAYSIZE(szKey) - 2] = chLetter;
    HKEY hKey = nullptr;
    LSTATUS status = RegOpenKeyExW(hRoot, AsWide(szKey), 0, KEY_QUERY_VALUE, &hKey);
    CScopedRegKey key;
    if (status == ERROR_SUCCESS) {
        key.Attach(hKey);
    }
    return status;
}
