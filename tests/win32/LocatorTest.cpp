// The locator over devices and mount-table entries planted in Wine's registry.

#include "WineMachine.h"

#include "locator/CDAccess.h"

#include <gtest/gtest.h>

using namespace wine_machine;

namespace {

const std::wstring kUsbInstance = L"USB\\VID_2B47&PID_0801\\KV0123456789";
const std::wstring kUsbPath = L"\\??\\USBSTOR#CdRom&Ven_Korvane&Prod_Slim#kv0123456789&0#"
                              L"{53f56308-b6bf-11d0-94f2-00a0c91efb8b}";

class LocatorTest : public ::testing::Test {
protected:
    void TearDown() override {
        RemoveMountEntry(L'C');
        RemoveMountEntry(L'Z');
    }
    // GetInternalDriveLetter's result; the letter starts as '?'.
    BOOL Locate() {
        m_chLetter = u'?';
        return GetInternalDriveLetter(&m_chLetter);
    }
    char16_t m_chLetter = 0;
};

TEST_F(LocatorTest, NoSupportedDriveLeavesTheLetterAlone) {
    CPlantedDevice other(L"IDE\\CDROMOTHER_DVD\\1", kCdromClass, kCdromInterface);
    PlantMountEntry(L'C', kIdeDriveMountPath);
    EXPECT_FALSE(Locate());
    EXPECT_EQ(m_chLetter, u'?');
}

TEST_F(LocatorTest, IdeDriveIsFoundAtItsLetter) {
    CPlantedDevice ide(kIdeDriveInstance, kCdromClass, kCdromInterface);
    PlantMountEntry(L'C', kIdeDriveMountPath);
    EXPECT_TRUE(Locate());
    EXPECT_EQ(m_chLetter, u'C');
}

TEST_F(LocatorTest, UsbDriveIsFoundByItsKey) {
    CPlantedDevice ide(kIdeDriveInstance, kCdromClass, kCdromInterface);
    CPlantedDevice usb(kUsbInstance, kUsbClass, kUsbInterface);
    PlantMountEntry(L'Z', kUsbPath);
    EXPECT_TRUE(Locate());
    EXPECT_EQ(m_chLetter, u'Z');
    EXPECT_EQ(std::u16string(g_szDriveInstanceId), u"USB\\VID_2B47&PID_0801\\KV0123456789")
        << "USB interfaces are searched first";
}

TEST_F(LocatorTest, AnIdeEntryAtALowerLetterBeatsTheUsbKey) {
    CPlantedDevice usb(kUsbInstance, kUsbClass, kUsbInterface);
    PlantMountEntry(L'C', kIdeDriveMountPath);
    PlantMountEntry(L'Z', kUsbPath);
    EXPECT_TRUE(Locate());
    EXPECT_EQ(m_chLetter, u'C');
}

TEST_F(LocatorTest, EntriesThatNameNoDriveAreSkipped) {
    CPlantedDevice usb(kUsbInstance, kUsbClass, kUsbInterface);
    const char garbage[] = "\x5c\x00\x3f\x00\x3fodd";
    PlantMountEntry(L'C', garbage, 7);
    PlantMountEntry(L'Z', kUsbPath);
    EXPECT_TRUE(Locate());
    EXPECT_EQ(m_chLetter, u'Z');
    RemoveMountEntry(L'Z');
    EXPECT_FALSE(Locate()) << "the drive without a letter";
    EXPECT_EQ(m_chLetter, 0);
}

// Wine's CM_Locate_DevNodeW and CM_Get_Parent always fail, so a DVD-RAM entry's parent is
// never confirmed here: the entry must then be passed over. The match through a confirmed
// parent is DriveLetter.DvdRamEntryMatchesOnlyThroughItsParent, natively.
TEST_F(LocatorTest, ADvdRamEntryWithoutAConfirmedParentIsSkipped) {
    CPlantedDevice ide(kIdeDriveInstance, kCdromClass, kCdromInterface);
    PlantMountEntry(L'C', L"\\??\\DVDRAM#CDROM#6&1f&0&0#{53f56308-b6bf-11d0-94f2-00a0c91efb8b}");
    PlantMountEntry(L'Z', kIdeDriveMountPath);
    EXPECT_TRUE(Locate());
    EXPECT_EQ(m_chLetter, u'Z');
}

} // namespace
