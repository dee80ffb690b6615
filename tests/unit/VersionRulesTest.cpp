// The Windows version classification and the unsupported-version question.

#include "app/VersionRules.h"

#include <gtest/gtest.h>

namespace {

constexpr uint8_t kWorkstation = 1;
constexpr uint8_t kServer = 3;
constexpr uint16_t kAmd64 = 9;
constexpr uint16_t kIa64 = 6;

TEST(VersionClassification, Table) {
    // XP, Server 2003 (x64), Vista, Server 2008, 6.1 and 6.2 workstations and servers, and
    // 10.0 are classified on the real version query under Wine (VersionGate.*).
    struct Row {
        const char* name;
        OsVersionFacts facts;
        short code; // the documented codes, as numbers
    } rows[] = {
        {"98", {1, 4, 10, 0, 0}, 3},
        {"Me", {1, 4, 90, 0, 0}, 7},
        {"XP server type", {2, 5, 1, kServer, 0}, 6},
        {"XP on Itanium", {2, 5, 2, kWorkstation, kIa64}, 10},
        {"5.3", {2, 5, 3, kWorkstation, kAmd64}, 6},
        {"2012 R2 as 6.3", {2, 6, 3, kServer, kAmd64}, 12},
        {"7.0", {2, 7, 0, kWorkstation, kAmd64}, -1},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(ClassifyVersion(row.facts), row.code) << row.name;
    }
}

TEST(VersionClassification, ExtendedRecordFromNt5On) {
    EXPECT_TRUE(NeedsExtendedRecord(2, 5));
    EXPECT_FALSE(NeedsExtendedRecord(1, 5));
}

TEST(VersionClassification, ArchitectureClasses) {
    // x86 is class 1, the 64-bit architectures class 2, anything else 0.
    const uint16_t classes[][2] = {{0, 1}, {6, 2}, {9, 2}, {10, 2}, {5, 0}, {12, 0}};
    for (const auto& row : classes) {
        EXPECT_EQ(ArchitectureClass(row[0]), row[1]) << row[0];
    }
}

// A newer Windows asks, a known one does not, and Yes and No decide; the product type is
// asked from Vista on: under Wine (VersionGate.*). Here what Wine cannot show.
TEST(VersionQuestion, AFailedQueryAsksNothingAndABoxThatCannotShowGoesOn) {
    EXPECT_FALSE(IsNewerThanKnown(0));
    EXPECT_TRUE(AnswerLetsStartupGoOn(0));
}

TEST(VersionQuestion, OnlyADwordOfOneSuppressesIt) {
    const uint8_t one[4] = {1, 0, 0, 0};
    constexpr uint32_t kRegSz = 1, kRegDword = 4;
    EXPECT_TRUE(IsWarningSwitchOn(kRegDword, one));
    EXPECT_FALSE(IsWarningSwitchOn(kRegSz, one));
}

} // namespace
