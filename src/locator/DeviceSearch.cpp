// Device-instance search: finds the internal drive among the present devices.

#include "locator/CDAccess.h"
#include "locator/DriveIds.h"
#include "platform/ScopedHandles.h"

#include <cstring>

namespace {

// Room for a 260-character instance ID and its NUL.
constexpr DWORD kMemberIdCapacity = 261;

constexpr DWORD kInterfaceSetFlags = DIGCF_PRESENT | DIGCF_PROFILE | DIGCF_DEVICEINTERFACE;
constexpr DWORD kClassSetFlags = DIGCF_PRESENT | DIGCF_PROFILE;

DEV_BROADCAST_DEVICEINTERFACE_W InterfaceFilter(const GUID& interfaceClass) {
    DEV_BROADCAST_DEVICEINTERFACE_W filter;
    std::memset(&filter, 0, sizeof(filter));
    filter.dbcc_size = sizeof(filter);
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    filter.dbcc_classguid = interfaceClass;
    return filter;
}

HDEVINFO OpenDeviceSet(const GUID& classGuid, DWORD flags) {
    return platform().SetupDiGetClassDevsW(&classGuid, nullptr, nullptr, flags);
}

SP_DEVINFO_DATA EmptyDeviceInfo() {
    SP_DEVINFO_DATA info;
    std::memset(&info, 0, sizeof(info));
    info.cbSize = sizeof(info);
    return info;
}

bool ReadInstanceId(const CScopedDevInfoSet& set, SP_DEVINFO_DATA& info,
                    wchar16 (&szId)[kMemberIdCapacity]) {
    return platform().SetupDiGetDeviceInstanceIdW(set.Get(), &info, szId, kMemberIdCapacity,
                                                  nullptr) != FALSE;
}

// The direct tests: case-sensitive, anywhere in the ID as the platform returned it.
bool IsSupportedDriveId(const wchar16* pszId) {
    if (StrStr(pszId, g_szIdeVeltranoId) != nullptr ||
        StrStr(pszId, g_szIdeSlimtypeId) != nullptr) {
        return true;
    }
    for (uint16_t i = 0; i < g_nUsbIdCount; ++i) {
        if (StrStr(pszId, g_apszUsbIds[i]) != nullptr) {
            return true;
        }
    }
    return false;
}

bool StartsWithNoCase(const wchar16* pszText, const wchar16* pszPrefix) {
    return StrCmpNI(pszText, pszPrefix, StrLen(pszPrefix)) == 0;
}

bool IsSupportedIdeId(const wchar16* pszId) {
    return StartsWithNoCase(pszId, g_szIdeVeltranoId) || StartsWithNoCase(pszId, g_szIdeSlimtypeId);
}

// Whether the device with handle parent, found among the DVD-RAM driver's setup class,
// is a supported IDE drive. Handle 0 is a valid device, so only equality decides.
bool IsSupportedDvdRamParent(DEVINST parent) {
    GUID classGuid = {};
    // A failed parse leaves the zero GUID, whose set then holds no such parent.
    platform().CLSIDFromString(g_szDvdRamClassGuid, &classGuid);
    CScopedDevInfoSet classSet(OpenDeviceSet(classGuid, kClassSetFlags));
    if (!classSet.IsValid()) {
        return false;
    }
    SP_DEVINFO_DATA member = EmptyDeviceInfo();
    wchar16 szParentId[kMemberIdCapacity];
    for (DWORD i = 0; platform().SetupDiEnumDeviceInfo(classSet.Get(), i, &member); ++i) {
        if (member.DevInst != parent) {
            continue;
        }
        if (!ReadInstanceId(classSet, member, szParentId)) {
            return false;
        }
        if (IsSupportedIdeId(szParentId)) {
            return true;
        }
    }
    return false;
}

} // namespace

CCDAccess::~CCDAccess() = default;

BOOL CCDAccess::FindDriveInstanceId(wchar16* pszInstanceId, size_t cchInstanceId) {
    if (SearchInterfaceClass(InterfaceFilter(g_guidUsbDeviceInterface), pszInstanceId,
                             cchInstanceId)) {
        return TRUE;
    }
    return SearchInterfaceClass(InterfaceFilter(g_guidCdromInterface), pszInstanceId,
                                cchInstanceId);
}

BOOL CCDAccess::SearchInterfaceClass(const DEV_BROADCAST_DEVICEINTERFACE_W& filter,
                                     wchar16* pszInstanceId, size_t cchInstanceId) {
    CScopedDevInfoSet set(OpenDeviceSet(filter.dbcc_classguid, kInterfaceSetFlags));
    if (!set.IsValid()) {
        return FALSE;
    }
    SP_DEVINFO_DATA info = EmptyDeviceInfo();
    wchar16 szId[kMemberIdCapacity];
    for (DWORD i = 0; platform().SetupDiEnumDeviceInfo(set.Get(), i, &info); ++i) {
        if (!ReadInstanceId(set, info, szId)) {
            break;
        }
        if (IsSupportedDriveId(szId)) {
            // A cut ID still names the drive found.
            StrCopy(pszInstanceId, cchInstanceId, szId);
            return TRUE;
        }
    }
    return SearchDvdRamDevices(filter, pszInstanceId, cchInstanceId);
}

BOOL CCDAccess::SearchDvdRamDevices(const DEV_BROADCAST_DEVICEINTERFACE_W& filter,
                                    wchar16* pszInstanceId, size_t cchInstanceId) {
    CScopedDevInfoSet set(OpenDeviceSet(filter.dbcc_classguid, kInterfaceSetFlags));
    if (!set.IsValid()) {
        return FALSE;
    }
    SP_DEVINFO_DATA info = EmptyDeviceInfo();
    wchar16 szId[kMemberIdCapacity];
    for (DWORD i = 0; platform().SetupDiEnumDeviceInfo(set.Get(), i, &info); ++i) {
        if (!ReadInstanceId(set, info, szId)) {
            return FALSE;
        }
        if (!StartsWithNoCase(szId, g_szDvdRamIdPrefix)) {
            continue;
        }
        DEVINST parent = 0;
        if (platform().CM_Get_Parent(&parent, info.DevInst, 0) != CR_SUCCESS) {
            continue;
        }
        if (IsSupportedDvdRamParent(parent)) {
            StrCopy(pszInstanceId, cchInstanceId, szId);
            return TRUE;
        }
    }
    return FALSE;
}
