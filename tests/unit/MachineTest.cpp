// The in-memory machine's subtler behaviours, where a wrong machine would let wrong
// program code pass: registry views, value sizes, access rights, device handles and
// buffer limits.

#include "machine/Machine.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

const wchar16* kVendorKey = u"SOFTWARE\\Vendor\\Tool";

class MachineRegistryTest : public ::testing::Test {
protected:
    LSTATUS Open(const wchar16* path, REGSAM access, HKEY* key) {
        return machine.RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, access, key);
    }

    Machine machine;
};

TEST_F(MachineRegistryTest, SoftwareIsRedirectedToWow6432NodeUnlessThe64BitViewIsAsked) {
    machine.PlantString(HKEY_LOCAL_MACHINE, kVendorKey, u"Path", u"x");
    EXPECT_TRUE(machine.KeyPresent(HKEY_LOCAL_MACHINE, u"SOFTWARE\\WOW6432Node\\Vendor\\Tool",
                                   RegView::View64));
    EXPECT_FALSE(machine.KeyPresent(HKEY_LOCAL_MACHINE, kVendorKey, RegView::View64));

    HKEY key = nullptr;
    EXPECT_EQ(ERROR_SUCCESS, Open(kVendorKey, KEY_READ | KEY_WOW64_32KEY, &key));
    EXPECT_EQ(ERROR_SUCCESS, machine.RegCloseKey(key));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, Open(kVendorKey, KEY_READ | KEY_WOW64_64KEY, &key));
    EXPECT_EQ(nullptr, key);

    DWORD disposition = 0;
    ASSERT_EQ(ERROR_SUCCESS, machine.RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\New", 0,
                                                     KEY_WRITE, &key, &disposition));
    EXPECT_EQ(REG_CREATED_NEW_KEY, disposition);
    EXPECT_TRUE(
        machine.KeyPresent(HKEY_LOCAL_MACHINE, u"SOFTWARE\\WOW6432Node\\New", RegView::View64));
    machine.RegCloseKey(key);
}

TEST_F(MachineRegistryTest, SystemAndA32BitWindowsHaveOneView) {
    machine.PlantKey(HKEY_LOCAL_MACHINE, u"SYSTEM\\MountedDevices");
    EXPECT_TRUE(machine.KeyPresent(HKEY_LOCAL_MACHINE, u"SYSTEM\\MountedDevices", RegView::View64));

    Machine old;
    old.is64BitWindows = false;
    old.PlantKey(HKEY_LOCAL_MACHINE, kVendorKey);
    HKEY key = nullptr;
    EXPECT_EQ(ERROR_SUCCESS, old.RegOpenKeyExW(HKEY_LOCAL_MACHINE, kVendorKey, 0,
                                               KEY_READ | KEY_WOW64_64KEY, &key));
    old.RegCloseKey(key);
}

TEST_F(MachineRegistryTest, PathsAndValueNamesIgnoreCase) {
    machine.PlantDword(HKEY_LOCAL_MACHINE, kVendorKey, u"Count", 7);
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, Open(u"software\\VENDOR\\tool", KEY_QUERY_VALUE, &key));
    DWORD value = 0;
    DWORD size = sizeof(value);
    EXPECT_EQ(ERROR_SUCCESS, machine.RegQueryValueExW(key, u"COUNT", nullptr,
                                                      reinterpret_cast<BYTE*>(&value), &size));
    EXPECT_EQ(7u, value);
    machine.RegCloseKey(key);
}

TEST_F(MachineRegistryTest, ShortBufferGetsMoreDataAndTheSizeAndNothingWrittenPastIt) {
    machine.PlantString(HKEY_LOCAL_MACHINE, kVendorKey, u"Path", u"abc"); // 8 bytes
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, Open(kVendorKey, KEY_READ, &key));

    DWORD type = REG_NONE;
    DWORD size = 0;
    EXPECT_EQ(ERROR_SUCCESS, machine.RegQueryValueExW(key, u"Path", &type, nullptr, &size));
    EXPECT_EQ(8u, size);
    EXPECT_EQ(REG_SZ, type);

    BYTE buffer[16];
    std::memset(buffer, 0xCD, sizeof(buffer));
    size = 7;
    EXPECT_EQ(ERROR_MORE_DATA, machine.RegQueryValueExW(key, u"Path", nullptr, buffer, &size));
    EXPECT_EQ(8u, size);
    EXPECT_EQ(0xCD, buffer[7]);

    EXPECT_EQ(ERROR_INVALID_PARAMETER,
              machine.RegQueryValueExW(key, u"Path", nullptr, buffer, nullptr));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND,
              machine.RegQueryValueExW(key, u"Nope", nullptr, nullptr, &size));
    machine.RegCloseKey(key);
}

TEST_F(MachineRegistryTest, OversizedAndGrowingValuesDefeatASizedRead) {
    machine.PlantOversizedValue(HKEY_LOCAL_MACHINE, kVendorKey, u"Huge", REG_SZ, 0xFFFFFFF0u);
    machine.PlantString(HKEY_LOCAL_MACHINE, kVendorKey, u"Moving", u"ab"); // 6 bytes
    machine.GrowValueAfterSizeQuery(HKEY_LOCAL_MACHINE, kVendorKey, u"Moving", 4);
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, Open(kVendorKey, KEY_READ, &key));
    BYTE buffer[64];

    DWORD size = 0;
    EXPECT_EQ(ERROR_SUCCESS, machine.RegQueryValueExW(key, u"Huge", nullptr, nullptr, &size));
    EXPECT_EQ(0xFFFFFFF0u, size);
    size = sizeof(buffer);
    EXPECT_EQ(ERROR_MORE_DATA, machine.RegQueryValueExW(key, u"Huge", nullptr, buffer, &size));
    EXPECT_EQ(0xFFFFFFF0u, size);

    EXPECT_EQ(ERROR_SUCCESS, machine.RegQueryValueExW(key, u"Moving", nullptr, nullptr, &size));
    EXPECT_EQ(6u, size);
    EXPECT_EQ(ERROR_MORE_DATA, machine.RegQueryValueExW(key, u"Moving", nullptr, buffer, &size));
    EXPECT_EQ(10u, size);
    EXPECT_EQ(ERROR_SUCCESS, machine.RegQueryValueExW(key, u"Moving", nullptr, buffer, &size));
    EXPECT_EQ(0, std::memcmp(buffer, u"abXX", 10)); // still a terminated string
    machine.RegCloseKey(key);
}

TEST_F(MachineRegistryTest, AccessIsLimitedByTheKeyAndByTheHandle) {
    machine.RestrictKeyAccess(HKEY_LOCAL_MACHINE, kVendorKey, KEY_READ);
    machine.PlantDword(HKEY_LOCAL_MACHINE, kVendorKey, u"Count", 1);
    HKEY key = nullptr;
    EXPECT_EQ(ERROR_ACCESS_DENIED, Open(kVendorKey, KEY_ALL_ACCESS, &key));
    EXPECT_EQ(ERROR_ACCESS_DENIED, machine.RegDeleteKeyW(HKEY_LOCAL_MACHINE, kVendorKey));
    ASSERT_EQ(ERROR_SUCCESS, Open(kVendorKey, KEY_READ | KEY_WOW64_32KEY, &key));
    DWORD value = 2;
    EXPECT_EQ(ERROR_ACCESS_DENIED,
              machine.RegSetValueExW(key, u"Count", REG_DWORD,
                                     reinterpret_cast<const BYTE*>(&value), sizeof(value)));
    machine.RegCloseKey(key);

    machine.PlantKey(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Open");
    ASSERT_EQ(ERROR_SUCCESS, Open(u"SOFTWARE\\Open", KEY_SET_VALUE, &key));
    DWORD size = 0;
    EXPECT_EQ(ERROR_ACCESS_DENIED, machine.RegQueryValueExW(key, u"", nullptr, nullptr, &size));
    machine.RegCloseKey(key);
}

TEST_F(MachineRegistryTest, HandlesAreDistinctCountedAndClosedOnce) {
    machine.PlantKey(HKEY_LOCAL_MACHINE, kVendorKey);
    HKEY first = nullptr;
    HKEY second = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, Open(kVendorKey, KEY_READ, &first));
    ASSERT_EQ(ERROR_SUCCESS, Open(kVendorKey, KEY_READ, &second));
    EXPECT_NE(first, second);
    EXPECT_NE(HKEY_LOCAL_MACHINE, first);
    EXPECT_EQ(2u, machine.OpenKeyCount());

    EXPECT_EQ(ERROR_SUCCESS, machine.RegCloseKey(first));
    EXPECT_EQ(ERROR_INVALID_HANDLE, machine.RegCloseKey(first));
    EXPECT_EQ(1u, machine.OpenKeyCount());
    machine.RegCloseKey(second);

    const std::vector<RegCall>& calls = machine.RegistryCalls();
    ASSERT_EQ(5u, calls.size());
    EXPECT_EQ("open", calls[0].operation);
    EXPECT_EQ(KEY_READ, calls[0].access);
    EXPECT_EQ("close", calls[3].operation);
    EXPECT_EQ(LSTATUS(ERROR_INVALID_HANDLE), calls[3].status);
}

TEST_F(MachineRegistryTest, DeletingNeedsAnEmptyKeyAndLeavesOpenHandlesDead) {
    machine.PlantKey(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Parent\\Child");
    EXPECT_EQ(ERROR_ACCESS_DENIED, machine.RegDeleteKeyW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Parent"));
    HKEY child = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, Open(u"SOFTWARE\\Parent\\Child", KEY_READ, &child));
    EXPECT_EQ(ERROR_SUCCESS, machine.RegDeleteKeyW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Parent\\Child"));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND,
              machine.RegDeleteKeyW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Parent\\Child"));
    DWORD size = 0;
    EXPECT_EQ(ERROR_KEY_DELETED, machine.RegQueryValueExW(child, u"", nullptr, nullptr, &size));
    EXPECT_EQ(ERROR_SUCCESS, machine.RegCloseKey(child));
}

TEST(MachineDeviceTest, SetsListPresentDevicesOfTheClassWithDevInstFromZero) {
    Machine machine;
    DEVINST usb = machine.PlantDevice(u"USB\\VID_1&PID_2\\1", kGuidClassUsb);
    machine.PlantDevice(u"IDE\\CDROM\\GONE", kGuidClassCdrom, u"", false);
    DEVINST drive =
        machine.PlantDevice(u"IDE\\CDROM\\HERE", kGuidClassCdrom, u"USB\\VID_1&PID_2\\1");
    machine.PlantInterface(u"ide\\cdrom\\here", kGuidInterfaceCdrom);
    EXPECT_EQ(0u, usb);

    HDEVINFO set = machine.SetupDiGetClassDevsW(&kGuidInterfaceCdrom, nullptr, nullptr,
                                                DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    ASSERT_NE(INVALID_HANDLE_VALUE, set);
    SP_DEVINFO_DATA info{};
    info.cbSize = sizeof(info) + 1;
    EXPECT_FALSE(machine.SetupDiEnumDeviceInfo(set, 0, &info));
    EXPECT_EQ(ERROR_INVALID_USER_BUFFER, machine.GetLastError());
    info.cbSize = sizeof(info);
    ASSERT_TRUE(machine.SetupDiEnumDeviceInfo(set, 0, &info));
    EXPECT_EQ(drive, info.DevInst);
    EXPECT_FALSE(machine.SetupDiEnumDeviceInfo(set, 1, &info));
    EXPECT_EQ(ERROR_NO_MORE_ITEMS, machine.GetLastError());

    wchar16 id[15];
    DWORD required = 0;
    EXPECT_FALSE(machine.SetupDiGetDeviceInstanceIdW(set, &info, id, 14, &required));
    EXPECT_EQ(ERROR_INSUFFICIENT_BUFFER, machine.GetLastError());
    EXPECT_EQ(15u, required);
    EXPECT_TRUE(machine.SetupDiGetDeviceInstanceIdW(set, &info, id, 15, nullptr));
    EXPECT_EQ(std::u16string(u"IDE\\CDROM\\HERE"), id);

    HDEVINFO byClass = machine.SetupDiGetClassDevsW(&kGuidClassCdrom, nullptr, nullptr, 0);
    EXPECT_NE(set, byClass);
    EXPECT_EQ(2u, machine.OpenDeviceSetCount());
    EXPECT_TRUE(machine.SetupDiEnumDeviceInfo(byClass, 1, &info)); // the absent one too
    EXPECT_TRUE(machine.SetupDiDestroyDeviceInfoList(byClass));
    EXPECT_FALSE(machine.SetupDiDestroyDeviceInfoList(byClass));
    EXPECT_TRUE(machine.SetupDiDestroyDeviceInfoList(set));
}

TEST(MachineDeviceTest, ConfigManagerFindsPresentNodesAndKeepsToTheBuffer) {
    Machine machine;
    DEVINST parent = machine.PlantDevice(u"USB\\ROOT\\0", kGuidClassUsb);
    machine.PlantDevice(u"IDE\\CDROM\\GONE", kGuidClassCdrom, u"", false);
    DEVINST drive = machine.PlantDevice(u"IDE\\CDROM\\1", kGuidClassCdrom, u"usb\\root\\0");

    DEVINST found = 99;
    EXPECT_EQ(CR_SUCCESS, machine.CM_Locate_DevNodeW(&found, u"ide\\cdrom\\1", 0));
    EXPECT_EQ(drive, found);
    EXPECT_EQ(CR_NO_SUCH_DEVNODE,
              machine.CM_Locate_DevNodeW(&found, u"IDE\\CDROM\\GONE", CM_LOCATE_DEVNODE_NORMAL));
    EXPECT_EQ(CR_SUCCESS, machine.CM_Get_Parent(&found, drive, 0));
    EXPECT_EQ(parent, found);
    EXPECT_EQ(CR_NO_SUCH_DEVNODE, machine.CM_Get_Parent(&found, parent, 0));

    wchar16 buffer[16];
    std::fill(std::begin(buffer), std::end(buffer), u'#');
    EXPECT_EQ(CR_BUFFER_SMALL, machine.CM_Get_Device_IDW(drive, buffer, 11, 0));
    EXPECT_EQ(u'#', buffer[11]);
    EXPECT_EQ(CR_SUCCESS, machine.CM_Get_Device_IDW(drive, buffer, 12, 0));
    EXPECT_EQ(std::u16string(u"IDE\\CDROM\\1"), buffer);
    EXPECT_EQ(CR_INVALID_DEVNODE, machine.CM_Get_Device_IDW(42, buffer, 16, 0));
}

TEST(MachineVolumeTest, VolumeNamesNeedARootPathAndRoomForTheName) {
    Machine machine;
    const std::u16string guid = u"00000000-0000-0000-0000-000000000045";
    machine.PlantMountedDevice(u'E', guid,
                               u"\\??\\IDE#CdRom#1#{53f56308-b6bf-11d0-94f2-00a0c91efb8b}");

    wchar16 name[50];
    EXPECT_FALSE(machine.GetVolumeNameForVolumeMountPointW(u"E:", name, 50));
    EXPECT_EQ(ERROR_INVALID_NAME, machine.GetLastError());
    EXPECT_FALSE(machine.GetVolumeNameForVolumeMountPointW(u"E:\\", name, 49));
    EXPECT_EQ(ERROR_FILENAME_EXCED_RANGE, machine.GetLastError());
    EXPECT_FALSE(machine.GetVolumeNameForVolumeMountPointW(u"F:\\", name, 50));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, machine.GetLastError());
    ASSERT_TRUE(machine.GetVolumeNameForVolumeMountPointW(u"e:\\", name, 50));
    EXPECT_EQ(u"\\\\?\\Volume{" + guid + u"}\\", std::u16string(name));

    std::optional<RegValueData> entry = machine.Value(HKEY_LOCAL_MACHINE, u"SYSTEM\\MountedDevices",
                                                      u"\\??\\Volume{" + guid + u"}");
    ASSERT_TRUE(entry.has_value());
    EXPECT_EQ(REG_BINARY, entry->type);
    EXPECT_EQ(Utf16Bytes(u"\\??\\IDE#CdRom#1#{53f56308-b6bf-11d0-94f2-00a0c91efb8b}", false),
              entry->bytes);
}

TEST(MachineVolumeTest, DosDeviceAnswersAreDoublyTerminatedLists) {
    Machine machine;
    machine.PlantDosDevice(u"E:", u"\\Device\\CdRom0"); // 14 characters
    wchar16 target[16];
    EXPECT_EQ(0u, machine.QueryDosDeviceW(u"e:", target, 15));
    EXPECT_EQ(ERROR_INSUFFICIENT_BUFFER, machine.GetLastError());
    ASSERT_EQ(16u, machine.QueryDosDeviceW(u"e:", target, 16));
    EXPECT_EQ(std::u16string(u"\\Device\\CdRom0"), target);
    EXPECT_EQ(0, target[15]);

    machine.FailDosDevice(u"E:", ERROR_ACCESS_DENIED);
    EXPECT_EQ(0u, machine.QueryDosDeviceW(u"E:", target, 16));
    EXPECT_EQ(ERROR_ACCESS_DENIED, machine.GetLastError());
    EXPECT_EQ(0u, machine.QueryDosDeviceW(u"K:", target, 16));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, machine.GetLastError());
}

TEST(MachineTextTest, ClsidFromStringTakesOnlyTheBracedForm) {
    Machine machine;
    CLSID clsid{};
    EXPECT_EQ(S_OK, machine.CLSIDFromString(u"{53f56308-b6bf-11d0-94f2-00a0c91efb8b}", &clsid));
    EXPECT_EQ(GuidString(kGuidInterfaceCdrom), GuidString(clsid));
    EXPECT_EQ(CO_E_CLASSSTRING,
              machine.CLSIDFromString(u"{53F56308-B6BF-11D0-94F2-00A0C91EFB8B}x", &clsid));
    EXPECT_EQ(CO_E_CLASSSTRING,
              machine.CLSIDFromString(u"53F56308-B6BF-11D0-94F2-00A0C91EFB8B", &clsid));
    EXPECT_EQ(GuidString(GUID{}), GuidString(clsid));

    wchar16 text[] = u"cd-rom \u00e9";
    EXPECT_EQ(text, machine.CharUpperW(text));
    EXPECT_EQ(std::u16string(u"CD-ROM \u00c9"), text);
}

} // namespace
