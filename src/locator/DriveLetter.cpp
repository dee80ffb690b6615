// Drive-letter resolution: gathers, letter by letter, the volume's mount-table entry for
// the decision in DriveRules.cpp, and holds the locator's entry point.

#include "locator/CDAccess.h"

#include "common/ScopedWin.h"
#include "registry/Reg.h"

#include <cfgmgr32.h>

#include <algorithm>

wchar16 g_szDriveInstanceId[kInstanceIdCapacity];
wchar16 g_szDriveKey[kDriveKeyCapacity];
wchar16 g_szSearchKey[kDriveKeyCapacity];

namespace {

CCDAccess g_cdAccess;

constexpr size_t kPathCapacity = 260;
constexpr ULONG kParentIdCapacity = 210;
constexpr wchar16 kMountedDevicesKey[] = u"SYSTEM\\MountedDevices";

// The mount-table value name of the volume at the letter's root: the volume name
// "\\?\Volume{GUID}\" becomes "\??\Volume{GUID}".
bool GetMountTableValueName(wchar16 chLetter, wchar16 (&szValueName)[kPathCapacity]) {
    wchar16 szRoot[kPathCapacity];
    StrPrintf(szRoot, kPathCapacity, u"%c:\\", chLetter);
    if (!GetVolumeNameForVolumeMountPointW(AsWide(szRoot), AsWide(szValueName), kPathCapacity)) {
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

// The mount table as the system holds it; one CReg serves the whole scan.
class CSystemMountFacts : public CMountFacts {
public:
    explicit CSystemMountFacts(CCDAccess& access) : m_access(access) {}

    Entry ReadEntry(wchar16 chLetter, CMountEntry& entry) override {
        wchar16 szValueName[kPathCapacity];
        DWORD cbValue = 0;
        if (!GetMountTableValueName(chLetter, szValueName) ||
            !m_reg.QueryValueSize(HKEY_LOCAL_MACHINE, kMountedDevicesKey, szValueName, &cbValue)) {
            return Entry::Missing;
        }
        CMountEntry::Allocation allocation = entry.Allocate(cbValue);
        if (allocation != CMountEntry::Allocation::Ok) {
            return allocation == CMountEntry::Allocation::Refused ? Entry::Missing
                                                                  : Entry::OutOfMemory;
        }
        // A value that grew since its size was taken no longer fits: it is not read.
        DWORD cbData = cbValue;
        return m_reg.ReadBinary(HKEY_LOCAL_MACHINE, kMountedDevicesKey, szValueName, entry.Bytes(),
                                &cbData)
                   ? Entry::Read
                   : Entry::Missing;
    }

    bool ParentHasDriveKey(const wchar16* pszDvdRamId) override {
        return m_access.ParentMatchesDriveKey(pszDvdRamId) != FALSE;
    }

private:
    CCDAccess& m_access;
    CReg m_reg;
};

} // namespace

BOOL GetInternalDriveLetter(wchar16* pchLetter) {
    if (!g_cdAccess.FindDriveInstanceId(g_szDriveInstanceId, kInstanceIdCapacity)) {
        return FALSE;
    }
    if (!g_cdAccess.ExtractDriveKey(g_szDriveInstanceId, g_szDriveKey, kDriveKeyCapacity)) {
        return FALSE;
    }
    StrCopy(g_szSearchKey, kDriveKeyCapacity, g_szDriveKey);
    return g_cdAccess.FindDriveLetter(g_szSearchKey, pchLetter);
}

BOOL IsInternalDrivePresent() {
    wchar16 szInstanceId[kInstanceIdCapacity];
    return g_cdAccess.FindDriveInstanceId(szInstanceId, kInstanceIdCapacity);
}

BOOL CCDAccess::ExtractDriveKey(const wchar16* pszInstanceId, wchar16* pszKey, size_t cchKey) {
    return DriveKeyOf(pszInstanceId, pszKey, cchKey) ? TRUE : FALSE;
}

BOOL CCDAccess::FindDriveLetter(wchar16* pszSearchKey, wchar16* pchLetter) {
    CSystemMountFacts facts(*this);
    return ResolveDriveLetter(facts, pszSearchKey, pchLetter) ? TRUE : FALSE;
}

BOOL CCDAccess::ExtractDvdRamInstanceId(const wchar16* pszValueText, wchar16* pszInstanceId,
                                        size_t cchInstanceId) {
    return RebuildDvdRamId(pszValueText, pszInstanceId, cchInstanceId) ? TRUE : FALSE;
}

BOOL CCDAccess::ParentMatchesDriveKey(const wchar16* pszInstanceId) {
    DEVINST device = 0;
    if (CM_Locate_DevNodeW(&device, const_cast<DEVINSTID_W>(AsWide(pszInstanceId)),
                           CM_LOCATE_DEVNODE_NORMAL) != CR_SUCCESS) {
        return FALSE;
    }
    DEVINST parent = 0;
    if (CM_Get_Parent(&parent, device, 0) != CR_SUCCESS) {
        return FALSE;
    }
    wchar16 szParentId[kParentIdCapacity];
    if (CM_Get_Device_IDW(parent, AsWide(szParentId), kParentIdCapacity, 0) != CR_SUCCESS) {
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
    return TextHasDriveKey(pszText, g_szDriveKey) ? TRUE : FALSE;
}
