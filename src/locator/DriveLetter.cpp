// Drive-letter resolution: walks the letters A to Z and finds the volume whose
// mount-table entry names the internal drive.

#include "locator/CDAccess.h"
#include "locator/DriveIds.h"
#include "platform/Platform.h"
#include "registry/Reg.h"

#include <algorithm>
#include <limits>
#include <memory>
#include <new>

namespace {

CCDAccess g_cdAccess;

constexpr size_t kPathCapacity = 260;
constexpr ULONG kParentIdCapacity = 210;
constexpr size_t kValueTextCapacity = 262;
constexpr wchar16 kMountedDevicesKey[] = u"SYSTEM\\MountedDevices";

// Zero bytes behind a mount-table value's data, so that the data reads as a terminated
// UTF-16 string whatever its length.
constexpr DWORD kValuePadBytes = 10;

enum class LetterResult { NoMatch, Match, OutOfMemory };

// The mount-table value name of the volume at the letter's root: the volume name
// "\\?\Volume{GUID}\" becomes "\??\Volume{GUID}".
bool GetMountTableValueName(wchar16 chLetter, wchar16 (&szValueName)[kPathCapacity]) {
    wchar16 szRoot[kPathCapacity];
    StrPrintf(szRoot, kPathCapacity, u"%c:\\", chLetter);
    if (!platform().GetVolumeNameForVolumeMountPointW(szRoot, szValueName, kPathCapacity)) {
        return false;
    }
    size_t cchName = StrLen(szValueName);
    if (cchName <= 1) {
        return false;
    }
    szValueName[1] = u'?';
    szValueName[cchName - 1] = 0;
    return true;
}

// A size whose padded buffer would pass 4 GiB (it would wrap in 32 bits) is refused.
// The extra byte rounds an odd size up to whole characters.
bool IsValueSizeAcceptable(DWORD cbValue) {
    return cbValue <= std::numeric_limits<DWORD>::max() - kValuePadBytes - 1;
}

// Zero-filled and made of whole characters, so the data is read as aligned UTF-16 and a
// full NUL character follows it even when its byte count is odd. Null when out of memory.
std::unique_ptr<wchar16[]> AllocateValueBuffer(DWORD cbValue) {
    size_t cchBuffer = (static_cast<size_t>(cbValue) + kValuePadBytes + 1) / sizeof(wchar16);
    return std::unique_ptr<wchar16[]>(new (std::nothrow) wchar16[cchBuffer]());
}

bool EntryNamesDrive(CCDAccess& access, const wchar16* pszData, const wchar16* pszSearchKey) {
    if (*pszSearchKey != 0 && StrStr(pszData, pszSearchKey) != nullptr) {
        return true;
    }
    // Every drive of a supported IDE model has the same key, so the literals match by themselves.
    if (StrStr(pszData, g_szIdeVeltranoPath) != nullptr ||
        StrStr(pszData, g_szIdeSlimtypePath) != nullptr) {
        return true;
    }
    if (StrStr(pszData, g_szDvdRamPathPrefix) == nullptr) {
        return false;
    }
    wchar16 szDvdRamId[kPathCapacity];
    return access.ExtractDvdRamInstanceId(pszData, szDvdRamId, kPathCapacity) &&
           access.ParentMatchesDriveKey(szDvdRamId);
}

LetterResult TestLetter(CCDAccess& access, const CReg& reg, wchar16 chLetter,
                        wchar16* pszSearchKey) {
    wchar16 szValueName[kPathCapacity];
    if (!GetMountTableValueName(chLetter, szValueName)) {
        return LetterResult::NoMatch;
    }
    DWORD cbValue = 0;
    if (!reg.QueryValueSize(HKEY_LOCAL_MACHINE, kMountedDevicesKey, szValueName, &cbValue) ||
        !IsValueSizeAcceptable(cbValue)) {
        return LetterResult::NoMatch;
    }
    std::unique_ptr<wchar16[]> pData = AllocateValueBuffer(cbValue);
    if (!pData) {
        return LetterResult::OutOfMemory;
    }
    DWORD cbData = cbValue;
    if (!reg.ReadBinary(HKEY_LOCAL_MACHINE, kMountedDevicesKey, szValueName,
                        reinterpret_cast<BYTE*>(pData.get()), &cbData)) {
        return LetterResult::NoMatch;
    }
    platform().CharUpperW(pszSearchKey);
    platform().CharUpperW(pData.get());
    return EntryNamesDrive(access, pData.get(), pszSearchKey) ? LetterResult::Match
                                                              : LetterResult::NoMatch;
}

} // namespace

BOOL GetInternalDriveLetter(wchar16* pchLetter) {
    if (!g_cdAccess.FindDriveInstanceId(g_szDriveInstanceId, kInstanceIdCapacity)) {
        return FALSE;
    }
    if (!g_cdAccess.ExtractDriveKey(g_szDriveInstanceId, g_szDriveKey, kDriveKeyCapacity)) {
        return FALSE;
    }
    StrCopy(g_szSearchKey, kDriveKeyCapacity, g_szDriveKey);
    return g_cdAccess.FindDriveLetter(g_szSearchKey, pchLetter) ? TRUE : FALSE;
}

BOOL CCDAccess::FindDriveLetter(wchar16* pszSearchKey, wchar16* pchLetter) {
    CReg reg;
    *pchLetter = 0;
    for (int i = 0; i < 26; ++i) {
        wchar16 chLetter = static_cast<wchar16>(u'A' + i);
        LetterResult result = TestLetter(*this, reg, chLetter, pszSearchKey);
        if (result == LetterResult::Match) {
            *pchLetter = chLetter;
            return TRUE;
        }
        if (result == LetterResult::OutOfMemory) {
            return FALSE;
        }
    }
    return FALSE;
}

BOOL CCDAccess::ExtractDvdRamInstanceId(const wchar16* pszValueText, wchar16* pszInstanceId,
                                        size_t cchInstanceId) {
    wchar16 szWork[kValueTextCapacity];
    StrCopy(szWork, kValueTextCapacity, pszValueText);
    wchar16* pszGuid = StrStr(szWork, g_szInterfaceGuidStart);
    if (pszGuid != nullptr) {
        *pszGuid = 0;
    }
    if (!Succeeded(StrCopy(pszInstanceId, cchInstanceId, g_szDvdRamIdPrefix))) {
        return FALSE;
    }
    // The path prefix is taken to stand at the start; the "#" separators after it are kept.
    size_t cchPrefix = StrLen(g_szDvdRamPathPrefix);
    const wchar16* pszTail = StrLen(szWork) > cchPrefix ? szWork + cchPrefix : u"";
    if (!Succeeded(StrCat(pszInstanceId, cchInstanceId, pszTail))) {
        return FALSE;
    }
    platform().CharUpperW(pszInstanceId);
    return TRUE;
}

BOOL CCDAccess::ParentMatchesDriveKey(const wchar16* pszInstanceId) {
    DEVINST device = 0;
    if (platform().CM_Locate_DevNodeW(&device, pszInstanceId, CM_LOCATE_DEVNODE_NORMAL) !=
        CR_SUCCESS) {
        return FALSE;
    }
    DEVINST parent = 0;
    if (platform().CM_Get_Parent(&parent, device, 0) != CR_SUCCESS) {
        return FALSE;
    }
    wchar16 szParentId[kParentIdCapacity];
    if (platform().CM_Get_Device_IDW(parent, szParentId, kParentIdCapacity, 0) != CR_SUCCESS) {
        return FALSE;
    }
    // CM_Get_Device_IDW succeeds without a NUL when the ID fills the buffer exactly; such an
    // ID does not fit.
    if (std::find(szParentId, szParentId + kParentIdCapacity, 0) ==
        szParentId + kParentIdCapacity) {
        return FALSE;
    }
    return ContainsDriveKey(szParentId);
}

BOOL CCDAccess::ContainsDriveKey(const wchar16* pszText) {
    if (g_szDriveKey[0] == 0) {
        return FALSE;
    }
    wchar16 szWork[kPathCapacity];
    StrCopy(szWork, kPathCapacity, pszText);
    platform().CharUpperW(szWork);
    return StrStr(szWork, g_szDriveKey) != nullptr ? TRUE : FALSE;
}
