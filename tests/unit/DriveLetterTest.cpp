#include "LocatorTestSupport.h"

using namespace locator_test;

namespace {

const std::u16string kIdeVeltrano = u"IDE\\CDROMVELTRANO_DVD-R8X_1.00\\5&1A2B3C&0&0.0.0";
const std::u16string kIdeSlimtype = u"IDE\\CDROMSLIMTYPE_DVD_A_1.02\\5&7788&0&1.0.0";
const std::u16string kUsbDrive = u"USB\\VID_2B47&PID_0A11\\SN000123";
const std::u16string kUsbInterface = u"{a5dcbf10-6530-11d2-901f-00c04fb951ed}";

class DriveLetterTest : public LocatorTest {
protected:
    // The entry function's output, which starts as 'Q'; m_result holds its result.
    wchar16 Letter() {
        wchar16 letter = u'Q';
        m_result = GetInternalDriveLetter(&letter);
        return letter;
    }

    // An IDE drive in the device tree and its mount-table entry at the letter.
    void PlantIdeDriveAt(wchar16 letter, const std::u16string& instanceId = kIdeVeltrano) {
        PlantCdromDrive(machine, instanceId);
        PlantMount(machine, letter, MountPath(instanceId));
    }

    void PlantOversizedMount(wchar16 letter, DWORD reportedSize) {
        machine.PlantVolume(letter, VolumeGuid(letter));
        machine.PlantOversizedValue(HKEY_LOCAL_MACHINE, u"SYSTEM\\MountedDevices",
                                    MountValueName(letter), REG_BINARY, reportedSize);
    }

    size_t QueryCount() const {
        size_t count = 0;
        for (const RegCall& call : machine.RegistryCalls()) {
            count += call.operation == "query" ? 1 : 0;
        }
        return count;
    }

    BOOL m_result = FALSE;
};

void SetDriveKey(const std::u16string& key) {
    StrCopy(g_szDriveKey, 40, key.c_str());
}

} // namespace

// Letter order and the literal IDE tests.

TEST_F(DriveLetterTest, IdeDriveIsFoundAtItsLetter) {
    PlantIdeDriveAt(u'E');
    EXPECT_EQ(Letter(), u'E');
    EXPECT_TRUE(m_result);
}

TEST_F(DriveLetterTest, LowerLetterWinsAndZIsTried) {
    PlantIdeDriveAt(u'Z', kIdeSlimtype);
    EXPECT_EQ(Letter(), u'Z');
    PlantIdeDriveAt(u'D');
    EXPECT_EQ(Letter(), u'D');
}

TEST_F(DriveLetterTest, IdeEntryAtLowerLetterWinsOverTheUsbDrive) {
    PlantUsbDrive(machine, kUsbDrive);
    PlantMount(machine, u'G', MountPath(kUsbDrive, kUsbInterface));
    PlantMount(machine, u'D', MountPath(u"IDE\\CDROMSLIMTYPE_OTHER\\1"));
    EXPECT_EQ(Letter(), u'D');
}

TEST_F(DriveLetterTest, UsbDriveIsRecognisedByItsKeyInAnyCase) {
    PlantUsbDrive(machine, kUsbDrive);
    PlantMount(machine, u'E', MountPath(u"USB\\VID_2B47&PID_0A11\\SN999", kUsbInterface));
    PlantMount(machine, u'F', MountPath(u"usb\\vid_2b47&pid_0a11\\sn000123", kUsbInterface));
    EXPECT_EQ(Letter(), u'F');
}

TEST_F(DriveLetterTest, LettersWithoutVolumeOrEntryAreSkipped) {
    machine.PlantVolume(u'C', VolumeGuid(u'C'));
    PlantMount(machine, u'D', u"\\??\\SCSI#DISK#1#{53f56307-b6bf-11d0-94f2-00a0c91efb8b}");
    PlantIdeDriveAt(u'E');
    EXPECT_EQ(Letter(), u'E');
}

TEST_F(DriveLetterTest, EmptyKeyMatchesOnlyThroughIdeLiterals) {
    PlantUsbDrive(machine, u"USB\\VID_2B47&PID_0801");
    PlantMount(machine, u'C', MountPath(u"USB\\VID_2B47&PID_0801", kUsbInterface));
    EXPECT_EQ(Letter(), 0);
    PlantMount(machine, u'F', MountPath(u"IDE\\CDROMVELTRANO_X\\1"));
    EXPECT_EQ(Letter(), u'F');
}

// The output on failure.

TEST_F(DriveLetterTest, DriveWithoutMatchingLetterGivesNul) {
    PlantCdromDrive(machine, kIdeVeltrano);
    EXPECT_EQ(Letter(), 0);
    EXPECT_FALSE(m_result);
}

TEST_F(DriveLetterTest, MissingDriveOrKeyLeavesOutputUntouched) {
    PlantMount(machine, u'E', MountPath(kIdeVeltrano));
    EXPECT_EQ(Letter(), u'Q');
    EXPECT_FALSE(m_result);
    PlantUsbDrive(machine, u"USB\\VID_2B47&PID_0A11\\" + std::u16string(40, u'K'));
    EXPECT_EQ(Letter(), u'Q');
    EXPECT_FALSE(m_result);
}

TEST_F(DriveLetterTest, LongInstanceIdStillResolvesItsLetter) {
    PlantIdeDriveAt(u'E', kIdeVeltrano + std::u16string(260 - kIdeVeltrano.size(), u'7'));
    EXPECT_EQ(Letter(), u'E');
}

// DVD-RAM driver entries.

TEST_F(DriveLetterTest, DvdRamEntryMatchesWhenItsParentCarriesTheKey) {
    PlantUsbDrive(machine, kUsbDrive); // device handle 0, a valid parent
    machine.PlantDevice(u"DVDRAM\\CDROM\\7&1&0", kGuidClassCdrom, kUsbDrive);
    PlantMount(machine, u'E', MountPath(u"DVDRAM\\CDROM\\7&1&0"));
    EXPECT_EQ(Letter(), u'E');
}

TEST_F(DriveLetterTest, DvdRamEntryWithoutMatchingParentIsPassedOver) {
    PlantUsbDrive(machine, kUsbDrive);
    machine.PlantDevice(kIdeVeltrano, kGuidClassCdrom);
    machine.PlantDevice(u"DVDRAM\\CDROM\\OTHER", kGuidClassCdrom, kIdeVeltrano);
    machine.PlantDevice(u"DVDRAM\\CDROM\\NOPARENT", kGuidClassCdrom, kUsbDrive);
    machine.PlantDevice(u"DVDRAM\\CDROM\\NOTLOCATED", kGuidClassCdrom, kUsbDrive);
    machine.PlantDevice(u"DVDRAM\\CDROM\\GOOD", kGuidClassCdrom, kUsbDrive);
    machine.FailGetParent(u"DVDRAM\\CDROM\\NOPARENT");
    machine.FailLocateDevNode(u"DVDRAM\\CDROM\\NOTLOCATED");
    PlantMount(machine, u'C', MountPath(u"DVDRAM\\CDROM\\ABSENT"));
    PlantMount(machine, u'D', MountPath(u"DVDRAM\\CDROM\\OTHER"));
    PlantMount(machine, u'E', MountPath(u"DVDRAM\\CDROM\\NOPARENT"));
    PlantMount(machine, u'F', MountPath(u"DVDRAM\\CDROM\\NOTLOCATED"));
    PlantMount(machine, u'G', MountPath(u"DVDRAM\\CDROM\\GOOD"));
    EXPECT_EQ(Letter(), u'G');
}

TEST_F(DriveLetterTest, DvdRamRebuildKeepsHashesAndUpperCases) {
    wchar16 id[260];
    EXPECT_TRUE(access.ExtractDvdRamInstanceId(u"\\??\\DVDRAM#CDROM#7&1f#B#{53f5}", id, 260));
    EXPECT_EQ(std::u16string(id), u"DVDRAM\\CDROM\\7&1F#B");
    EXPECT_TRUE(access.ExtractDvdRamInstanceId(u"\\??\\DVDRAM#CDROM#", id, 260));
    EXPECT_EQ(std::u16string(id), u"DVDRAM\\CDROM\\");
    EXPECT_FALSE(access.ExtractDvdRamInstanceId(u"\\??\\DVDRAM#CDROM#0123", id, 16));
    // The entry is cut to 261 characters before the first 17 are dropped.
    std::u16string text = u"\\??\\DVDRAM#CDROM#" + std::u16string(400, u'a');
    EXPECT_TRUE(access.ExtractDvdRamInstanceId(text.c_str(), id, 260));
    EXPECT_EQ(std::u16string(id), u"DVDRAM\\CDROM\\" + std::u16string(261 - 17, u'A'));
}

TEST_F(DriveLetterTest, ParentIdMustFitIn210Characters) {
    SetDriveKey(u"SN1");
    std::u16string fits = u"USB\\X\\sn1" + std::u16string(200, u'0');
    std::u16string fills = fits + u"0";
    machine.PlantDevice(fits, kGuidClassUsb);
    machine.PlantDevice(fills, kGuidClassUsb);
    machine.PlantDevice(u"DVDRAM\\CDROM\\1", kGuidClassCdrom, fits);
    machine.PlantDevice(u"DVDRAM\\CDROM\\2", kGuidClassCdrom, fills);
    EXPECT_TRUE(access.ParentMatchesDriveKey(u"DVDRAM\\CDROM\\1"));
    EXPECT_FALSE(access.ParentMatchesDriveKey(u"DVDRAM\\CDROM\\2"));
}

TEST_F(DriveLetterTest, EmptyDriveKeyIsContainedNowhere) {
    EXPECT_FALSE(access.ContainsDriveKey(u"ANYTHING"));
    SetDriveKey(u"SN1");
    EXPECT_TRUE(access.ContainsDriveKey(u"usb\\x\\sn1"));
}

// Mount-table data the system would not write.

TEST_F(DriveLetterTest, OddLengthEntryIsReadAsWholeCharacters) {
    PlantCdromDrive(machine, kIdeVeltrano);
    std::vector<uint8_t> bytes = Utf16Bytes(MountPath(kIdeVeltrano), false);
    bytes.push_back(0x41);
    PlantMountBytes(machine, u'E', bytes);
    EXPECT_EQ(Letter(), u'E');
}

TEST_F(DriveLetterTest, EmptyEntryIsSkipped) {
    PlantMountBytes(machine, u'C', {});
    PlantIdeDriveAt(u'D');
    EXPECT_EQ(Letter(), u'D');
}

TEST_F(DriveLetterTest, EntrySizesThatWouldWrapAreRefusedBeforeReading) {
    PlantCdromDrive(machine, kIdeVeltrano);
    PlantOversizedMount(u'C', 0xFFFFFFFF);
    PlantOversizedMount(u'D', 0xFFFFFFF6);
    PlantOversizedMount(u'E', 0xFFFFFFF5);
    EXPECT_EQ(Letter(), 0);
    EXPECT_EQ(QueryCount(), 3u); // the size queries only
}

TEST_F(DriveLetterTest, EntryThatGrowsAfterItsSizeQueryIsSkipped) {
    PlantIdeDriveAt(u'D');
    machine.GrowValueAfterSizeQuery(HKEY_LOCAL_MACHINE, u"SYSTEM\\MountedDevices",
                                    MountValueName(u'D'), 4);
    PlantMount(machine, u'E', MountPath(kIdeVeltrano));
    EXPECT_EQ(Letter(), u'E');
}
