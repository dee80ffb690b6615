#pragma once
// Planting helpers shared by the locator tests: supported drives in the device tree and
// their entries in the mount table, each in one line.

#include "locator/CDAccess.h"
#include "locator/DriveIds.h"
#include "machine/Machine.h"

#include <gtest/gtest.h>

#include <string>

namespace locator_test {

inline GUID DvdRamClass() {
    return ParseGuid(g_szDvdRamClassGuid);
}

// A drive attached through IDE, seen among the CD-ROM interfaces.
inline void PlantCdromDrive(Machine& machine, const std::u16string& instanceId) {
    machine.PlantDevice(instanceId, kGuidClassCdrom);
    machine.PlantInterface(instanceId, kGuidInterfaceCdrom);
}

// A drive attached through USB, seen among the USB-device interfaces.
inline void PlantUsbDrive(Machine& machine, const std::u16string& instanceId) {
    machine.PlantDevice(instanceId, kGuidClassUsb);
    machine.PlantInterface(instanceId, kGuidInterfaceUsbDevice);
}

// A DVD-RAM driver device standing on a parent of the driver's setup class.
inline void PlantDvdRamDrive(Machine& machine, const std::u16string& parentId,
                             const std::u16string& childId,
                             const GUID& interfaceClass = kGuidInterfaceCdrom) {
    machine.PlantDevice(parentId, DvdRamClass());
    machine.PlantDevice(childId, kGuidClassCdrom, parentId);
    machine.PlantInterface(childId, interfaceClass);
}

// The mount-table path of a device: separators as "#", then the interface class GUID.
inline std::u16string
MountPath(std::u16string instanceId,
          const std::u16string& interfaceGuid = u"{53f56308-b6bf-11d0-94f2-00a0c91efb8b}") {
    for (char16_t& c : instanceId) {
        if (c == u'\\') {
            c = u'#';
        }
    }
    return u"\\??\\" + instanceId + u"#" + interfaceGuid;
}

// A distinct volume GUID per letter.
inline std::u16string VolumeGuid(wchar16 letter) {
    const std::u16string hex = u"0123456789ABCDEF";
    return u"{00000000-0000-0000-0000-0000000000" + hex.substr(letter >> 4, 1) +
           hex.substr(letter & 0xF, 1) + u"}";
}

inline std::u16string MountValueName(wchar16 letter) {
    return u"\\??\\Volume" + VolumeGuid(letter);
}

inline void PlantMount(Machine& machine, wchar16 letter, const std::u16string& devicePath) {
    machine.PlantMountedDevice(letter, VolumeGuid(letter), devicePath);
}

// A mount-table entry with raw data, for entries the system would not write itself.
inline void PlantMountBytes(Machine& machine, wchar16 letter, const std::vector<uint8_t>& bytes) {
    machine.PlantVolume(letter, VolumeGuid(letter));
    machine.PlantValue(HKEY_LOCAL_MACHINE, u"SYSTEM\\MountedDevices", MountValueName(letter),
                       REG_BINARY, bytes);
}

inline void ClearLocatorState() {
    g_szDriveInstanceId[0] = 0;
    g_szDriveKey[0] = 0;
    g_szSearchKey[0] = 0;
}

// Runs each test on a fresh machine and checks that no key or device set stays open.
class LocatorTest : public ::testing::Test {
protected:
    LocatorTest() { ClearLocatorState(); }
    void TearDown() override {
        EXPECT_EQ(machine.OpenKeyCount(), 0u);
        EXPECT_EQ(machine.OpenDeviceSetCount(), 0u);
    }

    Machine machine;
    ScopedPlatform guard{machine};
    CCDAccess access;
};

} // namespace locator_test
