#include "LocatorTestSupport.h"

using namespace locator_test;

namespace {

const std::u16string kIdeVeltrano = u"IDE\\CDROMVELTRANO_DVD-R8X_1.00\\5&1A2B3C&0&0.0.0";
const std::u16string kIdeSlimtype = u"IDE\\CDROMSLIMTYPE_DVD_A_1.02\\5&7788&0&1.0.0";
const std::u16string kUsbDrive = u"USB\\VID_2B47&PID_0A11\\SN000123";
const std::u16string kDvdRamChild = u"DVDRAM\\CDROM\\6&1F&0&0";

class DeviceSearchTest : public LocatorTest {
protected:
    // The search result, or "untouched" when the output was left as it was.
    std::u16string Find(size_t capacity = 260) {
        StrCopy(m_szOut, 260, u"untouched");
        m_result = access.FindDriveInstanceId(m_szOut, capacity);
        return m_szOut;
    }

    wchar16 m_szOut[260] = {};
    BOOL m_result = FALSE;
};

} // namespace

// Search order.

TEST_F(DeviceSearchTest, UsbDriveWinsOverIdeDrivePlantedBeforeIt) {
    PlantCdromDrive(machine, kIdeVeltrano);
    PlantUsbDrive(machine, kUsbDrive);
    EXPECT_EQ(Find(), kUsbDrive);
    EXPECT_TRUE(m_result);
}

TEST_F(DeviceSearchTest, DvdRamFallbackOfUsbClassRunsBeforeCdromClass) {
    PlantCdromDrive(machine, kIdeVeltrano);
    PlantDvdRamDrive(machine, kIdeSlimtype, kDvdRamChild, kGuidInterfaceUsbDevice);
    EXPECT_EQ(Find(), kDvdRamChild);
}

TEST_F(DeviceSearchTest, DirectMatchLaterInClassWinsOverEarlierDvdRamDevice) {
    PlantDvdRamDrive(machine, kIdeSlimtype, kDvdRamChild);
    PlantCdromDrive(machine, kIdeVeltrano);
    EXPECT_EQ(Find(), kIdeVeltrano);
}

TEST_F(DeviceSearchTest, LowerMemberIndexWinsWithinClass) {
    PlantCdromDrive(machine, kIdeSlimtype);
    PlantCdromDrive(machine, kIdeVeltrano);
    EXPECT_EQ(Find(), kIdeSlimtype);
}

// Matching rules.

TEST_F(DeviceSearchTest, DirectTestsFindPrefixAnywhereInId) {
    PlantCdromDrive(machine, u"SCSI\\X_IDE\\CDROMVELTRANO_Y\\1");
    EXPECT_EQ(Find(), u"SCSI\\X_IDE\\CDROMVELTRANO_Y\\1");
}

TEST_F(DeviceSearchTest, DirectTestsAreCaseSensitive) {
    PlantCdromDrive(machine, u"ide\\cdromveltrano_dvd\\5&1&0");
    PlantUsbDrive(machine, u"usb\\vid_2b47&pid_0a11\\sn1");
    PlantUsbDrive(machine, u"USB\\VID_2B47&PID_0999\\SN1");
    EXPECT_EQ(Find(), u"untouched");
    EXPECT_FALSE(m_result);
}

TEST_F(DeviceSearchTest, ShortOutputTakesCutIdAndStillSucceeds) {
    PlantCdromDrive(machine, kIdeVeltrano);
    EXPECT_EQ(Find(10), kIdeVeltrano.substr(0, 9));
    EXPECT_TRUE(m_result);
}

// The DVD-RAM fallback.

TEST_F(DeviceSearchTest, FallbackReturnsDvdRamDeviceIdNotParentId) {
    // The parent, planted first, has device handle 0: a valid device, not "none".
    PlantDvdRamDrive(machine, kIdeVeltrano, kDvdRamChild);
    EXPECT_EQ(Find(), kDvdRamChild);
}

TEST_F(DeviceSearchTest, FallbackPrefixesIgnoreCase) {
    PlantDvdRamDrive(machine, u"ide\\cdromslimtype_x\\1", u"dvdram\\cdrom\\6&1f");
    EXPECT_EQ(Find(), u"dvdram\\cdrom\\6&1f");
}

TEST_F(DeviceSearchTest, FallbackPrefixesAreAnchoredAtStart) {
    PlantDvdRamDrive(machine, u"SCSI\\IDE\\CDROMVELTRANO\\1", u"DVDRAM\\CDROM\\1");
    PlantDvdRamDrive(machine, kIdeVeltrano, u"X\\DVDRAM\\CDROM\\2");
    EXPECT_EQ(Find(), u"untouched");
}

TEST_F(DeviceSearchTest, FallbackIgnoresParentOutsideDriverSetupClass) {
    machine.PlantDevice(kIdeVeltrano, kGuidClassUsb, u"", true);
    machine.PlantDevice(kDvdRamChild, kGuidClassCdrom, kIdeVeltrano);
    machine.PlantInterface(kDvdRamChild, kGuidInterfaceCdrom);
    EXPECT_EQ(Find(), u"untouched");
}

// Failures along the way.

TEST_F(DeviceSearchTest, UnopenableUsbClassStillLetsCdromClassBeSearched) {
    machine.FailClassDevs(kGuidInterfaceUsbDevice, 0x1A);
    PlantCdromDrive(machine, kIdeVeltrano);
    EXPECT_EQ(Find(), kIdeVeltrano);
}

TEST_F(DeviceSearchTest, UnreadableIdEndsDirectTestsAndFallbackRuns) {
    PlantDvdRamDrive(machine, kIdeSlimtype, kDvdRamChild);
    PlantCdromDrive(machine, u"SCSI\\CDROM\\UNREADABLE");
    PlantCdromDrive(machine, kIdeVeltrano);
    machine.FailInstanceIdRead(u"SCSI\\CDROM\\UNREADABLE");
    EXPECT_EQ(Find(), kDvdRamChild);
}

TEST_F(DeviceSearchTest, UnreadableIdEndsFallback) {
    PlantCdromDrive(machine, u"SCSI\\CDROM\\UNREADABLE");
    PlantDvdRamDrive(machine, kIdeSlimtype, kDvdRamChild);
    machine.FailInstanceIdRead(u"SCSI\\CDROM\\UNREADABLE");
    EXPECT_EQ(Find(), u"untouched");
}

TEST_F(DeviceSearchTest, FailuresAtOneDvdRamCandidateMoveOnToTheNext) {
    PlantDvdRamDrive(machine, u"IDE\\CDROMVELTRANO\\NOPARENT", u"DVDRAM\\CDROM\\1");
    PlantDvdRamDrive(machine, u"IDE\\CDROMVELTRANO\\UNREADABLE", u"DVDRAM\\CDROM\\2");
    PlantDvdRamDrive(machine, kIdeSlimtype, u"DVDRAM\\CDROM\\3");
    machine.FailGetParent(u"DVDRAM\\CDROM\\1");
    machine.FailInstanceIdRead(u"IDE\\CDROMVELTRANO\\UNREADABLE");
    EXPECT_EQ(Find(), u"DVDRAM\\CDROM\\3");
}

TEST_F(DeviceSearchTest, UnopenableDriverClassFindsNothing) {
    PlantDvdRamDrive(machine, kIdeVeltrano, kDvdRamChild);
    machine.FailClassDevs(DvdRamClass(), 0x0A);
    EXPECT_EQ(Find(), u"untouched");
}

// Long instance IDs.

TEST_F(DeviceSearchTest, IdOf260CharactersIsFoundAndCutToOutput) {
    std::u16string id = kIdeVeltrano + std::u16string(260 - kIdeVeltrano.size(), u'7');
    PlantCdromDrive(machine, id);
    EXPECT_EQ(Find(), id.substr(0, 259));
}

TEST_F(DeviceSearchTest, IdLongerThan260CharactersIsUnreadable) {
    PlantCdromDrive(machine, kIdeVeltrano + std::u16string(300, u'7'));
    EXPECT_EQ(Find(), u"untouched");
}
