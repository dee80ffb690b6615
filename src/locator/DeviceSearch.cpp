// Device-instance search: finds the internal drive among the present devices.

#include "locator/CDAccess.h"
#include "locator/DriveIds.h"

#include "common/ScopedWin.h"

#include <cfgmgr32.h>
#include <objbase.h>

namespace {

// Room for a 260-character instance ID and its NUL.
constexpr DWORD kMemberIdCapacity = 261;

constexpr DWORD kInterfaceSetFlags = DIGCF_PRESENT | DIGCF_PROFILE | DIGCF_DEVICEINTERFACE;
constexpr DWORD kClassSetFlags = DIGCF_PRESENT | DIGCF_PROFILE;

constexpr GUID kUsbDeviceInterface = {
    0xA5DCBF10, 0x6530, 0x11D2, {0x90, 0x1F, 0x00, 0xC0, 0x4F, 0xB9, 0x51, 0xED}};
constexpr GUID kCdromInterface = {
    0x53F56308, 0xB6BF, 0x11D0, {0x94, 0xF2, 0x00, 0xA0, 0xC9, 0x1E, 0xFB, 0x8B}};

DEV_BROADCAST_DEVICEINTERFACE_W InterfaceFilter(const GUID& interfaceClass) {
    DEV_BROADCAST_DEVICEINTERFACE_W filter = {};
    filter.dbcc_size = sizeof(filter);
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    filter.dbcc_classguid = interfaceClass;
    return filter;
}

HDEVINFO OpenDeviceSet(const GUID& classGuid, DWORD flags) {
    return SetupDiGetClassDevsW(&classGuid, nullptr, nullptr, flags);
}

SP_DEVINFO_DATA EmptyDeviceInfo() {
    SP_DEVINFO_DATA info = {};
    info.cbSize = sizeof(info);
    return info;
}

bool ReadInstanceId(const CScopedDevInfoSet& set, SP_DEVINFO_DATA& info,
                    wchar16 (&szId)[kMemberIdCapacity]) {
    return SetupDiGetDeviceInstanceIdW(set.Get(), &info, AsWide(szId), kMemberIdCapacity,
                                       nullptr) != FALSE;
}

// Whether the device with handle parent, found among the DVD-RAM driver's setup class,
// is a supported IDE drive. Handle 0 is a valid device, so only equality decides.
bool IsSupportedDvdRamParent(DEVINST parent) {
    GUID classGuid = {};
    // A failed parse leaves the zero GUID, whose set then holds no such parent.
    CLSIDFromString(const_cast<LPOLESTR>(AsWide(g_szDvdRamClassGuid)), &classGuid);
    CScopedDevInfoSet classSet(OpenDeviceSet(classGuid, kClassSetFlags));
    if (!classSet.IsValid()) {
        return false;
    }
    SP_DEVINFO_DATA member = EmptyDeviceInfo();
    wchar16 szParentId[kMemberIdCapacity];
    for (DWORD i = 0; SetupDiEnumDeviceInfo(classSet.Get(), i, &member); ++i) {
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
    if (SearchInterfaceClass(InterfaceFilter(kUsbDeviceInterface), pszInstanceId, cchInstanceId)) {
        return TRUE;
    }
    return SearchInterfaceClass(InterfaceFilter(kCdromInterface), pszInstanceId, cchInstanceId);
}

BOOL CCDAccess::SearchInterfaceClass(const DEV_BROADCAST_DEVICEINTERFACE_W& filter,
                                     wchar16* pszInstanceId, size_t cchInstanceId) {
    CScopedDevInfoSet set(OpenDeviceSet(filter.dbcc_classguid, kInterfaceSetFlags));
    if (!set.IsValid()) {
        return FALSE;
    }
    SP_DEVINFO_DATA info = EmptyDeviceInfo();
    wchar16 szId[kMemberIdCapacity];
    for (DWORD i = 0; SetupDiEnumDeviceInfo(set.Get(), i, &info); ++i) {
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
    for (DWORD i = 0; SetupDiEnumDeviceInfo(set.Get(), i, &info); ++i) {
        if (!ReadInstanceId(set, info, szId)) {
            return FALSE;
        }
        if (!IsDvdRamDeviceId(szId)) {
            continue;
        }
        DEVINST parent = 0;
        if (CM_Get_Parent(&parent, info.DevInst, 0) != CR_SUCCESS) {
            continue;
        }
        if (IsSupportedDvdRamParent(parent)) {
            StrCopy(pszInstanceId, cchInstanceId, szId);
            return TRUE;
        }
    }
    return FALSE;
}
