// The Windows version classification and the unsupported-version question.

#include "app/VersionRules.h"

#include <gtest/gtest.h>

namespace {

using C = CWinVersionCodes;
constexpr uint8_t kWorkstation = 1;
constexpr uint8_t kServer = 3;
constexpr uint16_t kAmd64 = 9;
constexpr uint16_t kIa64 = 6;

TEST(VersionClassification, Table) {
    struct Row {
        const char* name;
        OsVersionFacts facts;
        short code;
    } rows[] = {
        {"Win32s", {0, 3, 10, 0, 0}, C::OSVER_WIN32S},
        {"95", {1, 4, 0, 0, 0}, C::OSVER_WIN95},
        {"95 OSR2", {1, 4, 9, 0, 0}, C::OSVER_WIN95},
        {"98", {1, 4, 10, 0, 0}, C::OSVER_WIN98},
        {"98 SE", {1, 4, 89, 0, 0}, C::OSVER_WIN98},
        {"Me", {1, 4, 90, 0, 0}, C::OSVER_WINME},
        {"NT 4", {2, 4, 0, 0, 0}, C::OSVER_WINNT4},
        {"2000", {2, 5, 0, kWorkstation, 0}, C::OSVER_WIN2000},
        {"XP", {2, 5, 1, kWorkstation, 0}, C::OSVER_WINXP},
        {"XP server type", {2, 5, 1, kServer, 0}, C::OSVER_WINXP},
        {"XP x64", {2, 5, 2, kWorkstation, kAmd64}, C::OSVER_WINXP},
        {"XP on Itanium", {2, 5, 2, kWorkstation, kIa64}, C::OSVER_SERVER2003},
        {"Server 2003 x64", {2, 5, 2, kServer, kAmd64}, C::OSVER_SERVER2003},
        {"5.3", {2, 5, 3, kWorkstation, kAmd64}, C::OSVER_WINXP},
        {"Vista", {2, 6, 0, kWorkstation, kAmd64}, C::OSVER_VISTA},
        {"Server 2008", {2, 6, 0, kServer, kAmd64}, C::OSVER_SERVER2008},
        {"7", {2, 6, 1, kWorkstation, 0}, C::OSVER_WIN7},
        {"Server 2008 R2", {2, 6, 1, kServer, kAmd64}, C::OSVER_SERVER2008R2},
        {"8 as 6.2", {2, 6, 2, kWorkstation, kAmd64}, C::OSVER_WIN7},
        {"2012 R2 as 6.3", {2, 6, 3, kServer, kAmd64}, C::OSVER_SERVER2008R2},
        {"7.0", {2, 7, 0, kWorkstation, kAmd64}, C::OSVER_FUTURE},
        {"10", {2, 10, 0, kWorkstation, kAmd64}, C::OSVER_FUTURE},
        {"unknown platform", {3, 10, 0, kWorkstation, kAmd64}, C::OSVER_UNKNOWN},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(ClassifyVersion(row.facts), row.code) << row.name;
    }
}

TEST(VersionClassification, ExtendedRecordFromNt5On) {
    EXPECT_TRUE(NeedsExtendedRecord(2, 5));
    EXPECT_TRUE(NeedsExtendedRecord(2, 10));
    EXPECT_FALSE(NeedsExtendedRecord(2, 4));
    EXPECT_FALSE(NeedsExtendedRecord(1, 5));
}

TEST(VersionClassification, ArchitectureClasses) {
    EXPECT_EQ(ArchitectureClass(0), C::ARCH_X86);
    EXPECT_EQ(ArchitectureClass(6), C::ARCH_64BIT);
    EXPECT_EQ(ArchitectureClass(9), C::ARCH_64BIT);
    EXPECT_EQ(ArchitectureClass(10), C::ARCH_64BIT);
    EXPECT_EQ(ArchitectureClass(5), C::ARCH_UNKNOWN);
    EXPECT_EQ(ArchitectureClass(12), C::ARCH_UNKNOWN);
}

TEST(VersionClassification, ProductTypeOnlyFromVistaToServer2008R2) {
    for (short code = -1; code <= 12; ++code) {
        bool asked = code == C::OSVER_VISTA || code == C::OSVER_SERVER2008 ||
                     code == C::OSVER_WIN7 || code == C::OSVER_SERVER2008R2;
        EXPECT_EQ(HasProductType(code), asked) << code;
    }
}

TEST(VersionQuestion, OnlyANewerNtAsks) {
    EXPECT_TRUE(IsNewerThanKnown(C::OSVER_FUTURE));
    EXPECT_FALSE(IsNewerThanKnown(C::OSVER_UNKNOWN));
    EXPECT_FALSE(IsNewerThanKnown(C::OSVER_WIN7));
}

TEST(VersionQuestion, OnlyADwordOfExactlyOneSuppressesIt) {
    const uint8_t one[4] = {1, 0, 0, 0};
    const uint8_t two[4] = {2, 0, 0, 0};
    const uint8_t high[4] = {1, 0, 0, 1};
    const uint8_t text[4] = {'1', 0, 0, 0};
    constexpr uint32_t kRegSz = 1, kRegBinary = 3, kRegDword = 4;
    EXPECT_TRUE(IsWarningSwitchOn(kRegDword, one));
    EXPECT_FALSE(IsWarningSwitchOn(kRegDword, two));
    EXPECT_FALSE(IsWarningSwitchOn(kRegDword, high));
    EXPECT_FALSE(IsWarningSwitchOn(kRegBinary, one));
    EXPECT_FALSE(IsWarningSwitchOn(kRegSz, text));
}

TEST(VersionQuestion, EveryAnswerButNoGoesOn) {
    constexpr int kIdYes = 6, kIdNo = 7, kFailed = 0;
    EXPECT_TRUE(AnswerLetsStartupGoOn(kIdYes));
    EXPECT_TRUE(AnswerLetsStartupGoOn(kFailed));
    EXPECT_FALSE(AnswerLetsStartupGoOn(kIdNo));
}

} // namespace
