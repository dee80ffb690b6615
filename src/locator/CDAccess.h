#pragma once
// The optical drive locator: finds the internal optical drive among the present
// devices, derives its drive key and resolves its current letter through the mount
// table. The class holds no data; what the locator keeps between calls is its module
// state below. The decisions themselves are in DriveRules.h.

#include "locator/DriveRules.h"

#include <windows.h>

#include <dbt.h>

// Written by each call of GetInternalDriveLetter as far as its steps succeed.
extern wchar16 g_szDriveInstanceId[kInstanceIdCapacity];
extern wchar16 g_szDriveKey[kDriveKeyCapacity];
extern wchar16 g_szSearchKey[kDriveKeyCapacity];

class CCDAccess {
public:
    CCDAccess() = default;
    virtual ~CCDAccess();
    CCDAccess(const CCDAccess&) = delete;
    CCDAccess& operator=(const CCDAccess&) = delete;

    // Device-instance search. Each leaves the output untouched when it returns zero.
    // Searches the USB-device interfaces, then the CD-ROM interfaces.
    BOOL FindDriveInstanceId(wchar16* pszInstanceId, size_t cchInstanceId);
    // Direct tests on the members of one interface class, then its DVD-RAM fallback.
    BOOL SearchInterfaceClass(const DEV_BROADCAST_DEVICEINTERFACE_W& filter, wchar16* pszInstanceId,
                              size_t cchInstanceId);
    // DVD-RAM driver devices of one interface class whose parent is a supported IDE drive.
    BOOL SearchDvdRamDevices(const DEV_BROADCAST_DEVICEINTERFACE_W& filter, wchar16* pszInstanceId,
                             size_t cchInstanceId);

    BOOL ExtractDriveKey(const wchar16* pszInstanceId, wchar16* pszKey, size_t cchKey);

    // Mount-table scan over the letters A to Z. Upper-cases pszSearchKey in place.
    BOOL FindDriveLetter(wchar16* pszSearchKey, wchar16* pchLetter);
    BOOL ExtractDvdRamInstanceId(const wchar16* pszValueText, wchar16* pszInstanceId,
                                 size_t cchInstanceId);
    // Whether the parent device of that instance ID carries g_szDriveKey.
    BOOL ParentMatchesDriveKey(const wchar16* pszInstanceId);
    // Whether the text, upper-cased, contains g_szDriveKey (never for an empty key).
    BOOL ContainsDriveKey(const wchar16* pszText);
};

// The internal drive's current letter, searched afresh on every call. On a zero result
// *pchLetter is unchanged when no drive or key was found, and NUL when no letter matched.
BOOL GetInternalDriveLetter(wchar16* pchLetter);
// Whether the device search finds the internal drive, whatever its letter; the locator's
// module state is left as it was.
BOOL IsInternalDrivePresent();
