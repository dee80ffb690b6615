// What the device-setup and configuration-manager calls must do: an interface set lists
// the optical drive with its setup class, members are read by index until
// ERROR_NO_MORE_ITEMS, instance IDs come with the size they need, and device instance
// handles lead back to the same ID and to a parent.

#include "contract/ContractSupport.h"

#include <algorithm>

using namespace contract;

namespace {

const GUID kCdromInterface = {
    0x53F56308, 0xB6BF, 0x11D0, {0x94, 0xF2, 0x00, 0xA0, 0xC9, 0x1E, 0xFB, 0x8B}};
const GUID kCdromSetupClass = {
    0x4D36E965, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};
// An interface class no device exposes.
const GUID kUnusedInterface = {
    0x7C1A59E2, 0x3D44, 0x4B0E, {0x9A, 0x61, 0x5E, 0x27, 0xC8, 0x0D, 0x14, 0xF3}};
constexpr DWORD kCdromSetFlags = DIGCF_PRESENT | DIGCF_PROFILE | DIGCF_DEVICEINTERFACE;
constexpr ULONG kMaxDeviceIdChars = 200;

bool SameGuid(const GUID& left, const GUID& right) {
    return left.Data1 == right.Data1 && left.Data2 == right.Data2 && left.Data3 == right.Data3 &&
           std::equal(left.Data4, left.Data4 + 8, right.Data4);
}

std::u16string Upper(std::u16string text) {
    for (wchar16& c : text) {
        c = (c >= u'a' && c <= u'z') ? static_cast<wchar16>(c - 32) : c;
    }
    return text;
}

SP_DEVINFO_DATA EmptyMember() {
    SP_DEVINFO_DATA member{};
    member.cbSize = sizeof(SP_DEVINFO_DATA);
    return member;
}

std::u16string InstanceIdOf(HDEVINFO set, SP_DEVINFO_DATA& member) {
    std::vector<wchar16> buffer(kMaxDeviceIdChars);
    DWORD required = 0;
    if (!platform().SetupDiGetDeviceInstanceIdW(set, &member, buffer.data(), kMaxDeviceIdChars,
                                                &required)) {
        return u"";
    }
    return TextBefore(buffer);
}

std::u16string DeviceIdOf(DEVINST devInst) {
    std::vector<wchar16> buffer(kMaxDeviceIdChars);
    if (platform().CM_Get_Device_IDW(devInst, buffer.data(), kMaxDeviceIdChars, 0) != CR_SUCCESS) {
        return u"";
    }
    return TextBefore(buffer);
}

// The CD-ROM interface set the program asks for, and the optical drive's member in it.
class DeviceSets : public ContractTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(cdroms.IsValid()) << "error " << platform().GetLastError();
        for (DWORD i = 0; i < 64; ++i) {
            SP_DEVINFO_DATA member = EmptyMember();
            if (!platform().SetupDiEnumDeviceInfo(cdroms.Get(), i, &member)) {
                break;
            }
            if (Upper(InstanceIdOf(cdroms.Get(), member)) == Upper(kOpticalDriveInstanceId)) {
                drive = member;
                driveFound = true;
            }
        }
        ASSERT_TRUE(driveFound) << "the CD-ROM interface set does not list the optical drive";
    }

    CScopedDevInfoSet cdroms{
        platform().SetupDiGetClassDevsW(&kCdromInterface, nullptr, nullptr, kCdromSetFlags)};
    SP_DEVINFO_DATA drive = EmptyMember();
    bool driveFound = false;
};

using ConfigurationManager = DeviceSets;

} // namespace

// ---- Device information sets ---------------------------------------------------------------

TEST_F(DeviceSets, TheCdromInterfaceSetListsTheOpticalDriveWithItsSetupClass) {
    EXPECT_TRUE(SameGuid(kCdromSetupClass, drive.ClassGuid));
}

TEST_F(DeviceSets, EnumeratingPastTheLastMemberAnswersNoMoreItems) {
    DWORD count = 0;
    SP_DEVINFO_DATA member = EmptyMember();
    while (count < 64 && platform().SetupDiEnumDeviceInfo(cdroms.Get(), count, &member)) {
        ++count;
    }
    EXPECT_EQ(ERROR_NO_MORE_ITEMS, platform().GetLastError());
    EXPECT_FALSE(platform().SetupDiEnumDeviceInfo(cdroms.Get(), count + 5, &member));
    EXPECT_EQ(ERROR_NO_MORE_ITEMS, platform().GetLastError());
}

TEST_F(DeviceSets, AMemberRecordWithoutItsSizeIsRefused) {
    SP_DEVINFO_DATA member{};
    EXPECT_FALSE(platform().SetupDiEnumDeviceInfo(cdroms.Get(), 0, &member));
    EXPECT_EQ(ERROR_INVALID_USER_BUFFER, platform().GetLastError());
}

TEST_F(DeviceSets, AnInstanceIdBufferTooSmallIsRefusedWithTheSizeNeeded) {
    std::vector<wchar16> buffer(5);
    DWORD required = 0;
    EXPECT_FALSE(platform().SetupDiGetDeviceInstanceIdW(
        cdroms.Get(), &drive, buffer.data(), static_cast<DWORD>(buffer.size()), &required));
    EXPECT_EQ(ERROR_INSUFFICIENT_BUFFER, platform().GetLastError());
    EXPECT_EQ(std::u16string(kOpticalDriveInstanceId).size() + 1, required);
}

TEST_F(DeviceSets, AnInstanceIdBufferOfExactlyTheSizeNeededIsEnough) {
    auto needed = static_cast<DWORD>(std::u16string(kOpticalDriveInstanceId).size() + 1);
    std::vector<wchar16> buffer(needed);
    DWORD required = 0;
    EXPECT_TRUE(platform().SetupDiGetDeviceInstanceIdW(cdroms.Get(), &drive, buffer.data(), needed,
                                                       &required));
    EXPECT_EQ(Upper(kOpticalDriveInstanceId), Upper(TextBefore(buffer)));
}

TEST_F(DeviceSets, ASizeQueryWithoutBufferGivesTheSizeNeeded) {
    DWORD required = 0;
    EXPECT_FALSE(
        platform().SetupDiGetDeviceInstanceIdW(cdroms.Get(), &drive, nullptr, 0, &required));
    EXPECT_EQ(ERROR_INSUFFICIENT_BUFFER, platform().GetLastError());
    EXPECT_EQ(std::u16string(kOpticalDriveInstanceId).size() + 1, required);
}

TEST_F(DeviceSets, ASetNeedsAClassUnlessAllClassesAreAsked) {
    EXPECT_EQ(INVALID_HANDLE_VALUE,
              platform().SetupDiGetClassDevsW(nullptr, nullptr, nullptr, DIGCF_PRESENT));
    EXPECT_EQ(ERROR_INVALID_PARAMETER, platform().GetLastError());
}

TEST_F(DeviceSets, AnInvalidSetHandleIsRefused) {
    SP_DEVINFO_DATA member = EmptyMember();
    EXPECT_FALSE(platform().SetupDiEnumDeviceInfo(INVALID_HANDLE_VALUE, 0, &member));
    EXPECT_EQ(ERROR_INVALID_HANDLE, platform().GetLastError());
}

TEST_F(DeviceSets, AnInterfaceClassNoDeviceExposesGivesAnEmptySet) {
    CScopedDevInfoSet none(
        platform().SetupDiGetClassDevsW(&kUnusedInterface, nullptr, nullptr, kCdromSetFlags));
    ASSERT_TRUE(none.IsValid());
    SP_DEVINFO_DATA member = EmptyMember();
    EXPECT_FALSE(platform().SetupDiEnumDeviceInfo(none.Get(), 0, &member));
    EXPECT_EQ(ERROR_NO_MORE_ITEMS, platform().GetLastError());
}

TEST_F(DeviceSets, AnAbsentDeviceIsLeftOutOfASetOfPresentDevices) {
    SKIP_ON_WINE("DIGCF_PRESENT is not honoured: a device that is not present is listed");
    std::u16string absent = testSystem.PlantAbsentOpticalDrive();
    CScopedDevInfoSet present(
        platform().SetupDiGetClassDevsW(&kCdromInterface, nullptr, nullptr, kCdromSetFlags));
    CScopedDevInfoSet all(platform().SetupDiGetClassDevsW(&kCdromInterface, nullptr, nullptr,
                                                          DIGCF_PROFILE | DIGCF_DEVICEINTERFACE));
    auto lists = [](HDEVINFO set, const std::u16string& id) {
        SP_DEVINFO_DATA member = EmptyMember();
        for (DWORD i = 0; platform().SetupDiEnumDeviceInfo(set, i, &member); ++i) {
            if (Upper(InstanceIdOf(set, member)) == Upper(id)) {
                return true;
            }
        }
        return false;
    };
    EXPECT_FALSE(lists(present.Get(), absent));
    EXPECT_TRUE(lists(all.Get(), absent));
}

// ---- Configuration manager -------------------------------------------------------------------

TEST_F(ConfigurationManager, AMembersDeviceInstanceLeadsBackToItsId) {
    EXPECT_EQ(Upper(kOpticalDriveInstanceId), Upper(DeviceIdOf(drive.DevInst)));
}

TEST_F(ConfigurationManager, ADeviceIdBufferTooSmallAnswersBufferSmallWithWhatFits) {
    SKIP_ON_WINE("CM_Get_Device_IDW cuts a long ID to the buffer and answers CR_SUCCESS");
    std::vector<wchar16> buffer(6, u'#');
    EXPECT_EQ(CR_BUFFER_SMALL, platform().CM_Get_Device_IDW(drive.DevInst, buffer.data(), 5, 0));
    EXPECT_EQ(Upper(std::u16string(kOpticalDriveInstanceId).substr(0, 5)),
              Upper(std::u16string(buffer.begin(), buffer.begin() + 5)));
}

TEST_F(ConfigurationManager, LocatingTheDriveByItsIdGivesItsDeviceInstance) {
    SKIP_ON_WINE("CM_Locate_DevNodeW is a stub that always fails");
    DEVINST located = 0;
    ASSERT_EQ(CR_SUCCESS, platform().CM_Locate_DevNodeW(&located, kOpticalDriveInstanceId,
                                                        CM_LOCATE_DEVNODE_NORMAL));
    EXPECT_EQ(Upper(kOpticalDriveInstanceId), Upper(DeviceIdOf(located)));
}

TEST_F(ConfigurationManager, LocatingAnUnknownIdAnswersNoSuchDevnode) {
    SKIP_ON_WINE("CM_Locate_DevNodeW is a stub that always fails");
    DEVINST located = 0;
    EXPECT_EQ(CR_NO_SUCH_DEVNODE, platform().CM_Locate_DevNodeW(&located, u"IDE\\NOSUCHDEVICE\\0",
                                                                CM_LOCATE_DEVNODE_NORMAL));
}

TEST_F(ConfigurationManager, TheDriveHasAParentOfAnotherId) {
    SKIP_ON_WINE("CM_Get_Parent is a stub that always fails");
    DEVINST parent = 0;
    ASSERT_EQ(CR_SUCCESS, platform().CM_Get_Parent(&parent, drive.DevInst, 0));
    std::u16string parentId = DeviceIdOf(parent);
    EXPECT_FALSE(parentId.empty());
    EXPECT_NE(Upper(kOpticalDriveInstanceId), Upper(parentId));
}
