// What the DOS-device and volume calls must do for a defined letter (C:, the optical
// drive's E:) and an undefined one, and for buffers that are too small.

#include "contract/ContractSupport.h"

using namespace contract;

namespace {

// Every volume GUID path: \\?\Volume{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}\ .
constexpr size_t kVolumeNameChars = 49;

std::u16string Letter(wchar16 letter, const char16_t* rest) {
    return std::u16string(1, letter) + rest;
}

bool IsHexDigit(wchar16 c) {
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

bool IsVolumeGuidPath(const std::u16string& name) {
    const std::u16string prefix = u"\\\\?\\Volume{";
    if (name.size() != kVolumeNameChars || name.compare(0, prefix.size(), prefix) != 0 ||
        name.compare(kVolumeNameChars - 2, 2, u"}\\") != 0) {
        return false;
    }
    for (size_t i = prefix.size(); i < kVolumeNameChars - 2; ++i) {
        size_t inGuid = i - prefix.size();
        bool dash = inGuid == 8 || inGuid == 13 || inGuid == 18 || inGuid == 23;
        if (dash ? name[i] != u'-' : !IsHexDigit(name[i])) {
            return false;
        }
    }
    return true;
}

// What QueryDosDeviceW gave: its count, the buffer and the last error.
struct DosQuery {
    DWORD count = 0;
    std::vector<wchar16> buffer;
    DWORD error = 0;
};

DosQuery QueryDosDevice(const std::u16string& name, DWORD bufferChars) {
    DosQuery query;
    query.buffer.assign(bufferChars, u'#');
    platform().SetLastError(ERROR_SUCCESS);
    query.count = platform().QueryDosDeviceW(name.c_str(), query.buffer.data(), bufferChars);
    query.error = platform().GetLastError();
    return query;
}

struct VolumeQuery {
    BOOL ok = FALSE;
    std::u16string name;
    DWORD error = 0;
};

VolumeQuery VolumeNameOf(const std::u16string& mountPoint, DWORD bufferChars = MAX_PATH) {
    VolumeQuery query;
    std::vector<wchar16> buffer(bufferChars + 1, u'#');
    platform().SetLastError(ERROR_SUCCESS);
    query.ok = platform().GetVolumeNameForVolumeMountPointW(mountPoint.c_str(), buffer.data(),
                                                            bufferChars);
    query.error = platform().GetLastError();
    if (query.ok) {
        query.name = TextBefore(buffer);
    }
    return query;
}

using DosDevices = ContractTest;
using VolumeNames = ContractTest;

} // namespace

// ---- DOS devices -------------------------------------------------------------------------

TEST_F(DosDevices, AnUndefinedLetterAnswersZeroAndFileNotFound) {
    DosQuery query = QueryDosDevice(Letter(UndefinedDriveLetter(), u":"), MAX_PATH);
    EXPECT_EQ(0u, query.count);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, query.error);
}

// The answer is a list: each target NUL-terminated, the list ended by one more NUL, and
// the count includes both.
TEST_F(DosDevices, ADefinedLetterAnswersItsTargetAsADoubleNulTerminatedList) {
    DosQuery query = QueryDosDevice(u"C:", MAX_PATH);
    std::u16string target = TextBefore(query.buffer);
    ASSERT_GT(query.count, 2u);
    EXPECT_FALSE(target.empty());
    EXPECT_EQ(u'\\', target.front());
    EXPECT_EQ(target.size() + 2, query.count);
    EXPECT_EQ(u'\0', query.buffer[query.count - 1]);
    EXPECT_EQ(u'\0', query.buffer[query.count - 2]);
}

TEST_F(DosDevices, TheLetterMayBeGivenInLowerCase) {
    DosQuery upper = QueryDosDevice(u"C:", MAX_PATH);
    DosQuery lower = QueryDosDevice(u"c:", MAX_PATH);
    ASSERT_NE(0u, lower.count);
    EXPECT_EQ(TextBefore(upper.buffer), TextBefore(lower.buffer));
}

TEST_F(DosDevices, TheOpticalDriveLetterLeadsToACdRomDevice) {
    DosQuery query = QueryDosDevice(Letter(kOpticalDriveLetter, u":"), MAX_PATH);
    ASSERT_NE(0u, query.count);
    EXPECT_EQ(0u, TextBefore(query.buffer).rfind(u"\\Device\\CdRom", 0))
        << ::testing::PrintToString(TextBefore(query.buffer));
}

TEST_F(DosDevices, ABufferTooSmallForTheTargetAnswersZeroAndInsufficientBuffer) {
    DosQuery query = QueryDosDevice(u"C:", 3);
    EXPECT_EQ(0u, query.count);
    EXPECT_EQ(ERROR_INSUFFICIENT_BUFFER, query.error);
}

// ---- Volume names ------------------------------------------------------------------------

TEST_F(VolumeNames, ADriveRootHasAVolumeGuidPath) {
    VolumeQuery query = VolumeNameOf(u"C:\\");
    ASSERT_TRUE(query.ok) << "error " << query.error;
    EXPECT_TRUE(IsVolumeGuidPath(query.name)) << ::testing::PrintToString(query.name);
}

TEST_F(VolumeNames, TheOpticalDriveHasAVolumeOfItsOwn) {
    VolumeQuery optical = VolumeNameOf(Letter(kOpticalDriveLetter, u":\\"));
    ASSERT_TRUE(optical.ok) << "error " << optical.error;
    EXPECT_TRUE(IsVolumeGuidPath(optical.name)) << ::testing::PrintToString(optical.name);
    EXPECT_NE(VolumeNameOf(u"C:\\").name, optical.name);
}

TEST_F(VolumeNames, TheLetterMayBeGivenInLowerCase) {
    EXPECT_EQ(VolumeNameOf(u"C:\\").name, VolumeNameOf(u"c:\\").name);
}

TEST_F(VolumeNames, AnUndefinedLetterHasNoVolume) {
    VolumeQuery query = VolumeNameOf(Letter(UndefinedDriveLetter(), u":\\"));
    EXPECT_FALSE(query.ok);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, query.error);
}

TEST_F(VolumeNames, AMountPointWithoutTrailingBackslashIsRefused) {
    VolumeQuery query = VolumeNameOf(u"C:");
    EXPECT_FALSE(query.ok);
    EXPECT_EQ(ERROR_INVALID_NAME, query.error);
}

TEST_F(VolumeNames, ABufferTooSmallForAVolumeNameIsRefused) {
    VolumeQuery query = VolumeNameOf(u"C:\\", 20);
    EXPECT_FALSE(query.ok);
    EXPECT_EQ(ERROR_FILENAME_EXCED_RANGE, query.error);
}

TEST_F(VolumeNames, ABufferOfExactlyAVolumeNameAndItsNulIsEnough) {
    VolumeQuery query = VolumeNameOf(u"C:\\", kVolumeNameChars + 1);
    EXPECT_TRUE(query.ok) << "error " << query.error;
}

TEST_F(VolumeNames, AVolumeNameIsItsOwnMountPoint) {
    SKIP_ON_WINE("a volume GUID path is not taken as a mount point (ERROR_NOT_A_REPARSE_POINT)");
    VolumeQuery drive = VolumeNameOf(u"C:\\");
    ASSERT_TRUE(drive.ok);
    VolumeQuery itself = VolumeNameOf(drive.name);
    ASSERT_TRUE(itself.ok) << "error " << itself.error;
    EXPECT_EQ(drive.name, itself.name);
}
