// The change's decisions: the batch file's path and command line, the wait, the outcome.

#include "ui/ChangeRules.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using std::u16string;

TEST(Batch, PathOnlyUnderAnAbsoluteFolderThatCmdTakesAsTextAndThatFits) {
    char16_t szPath[260];
    for (const char16_t* refused :
         {u"", u"Program Files", u"C:Program Files", u"\\Program Files", u"\\\\server\\share",
          u"1:\\x", u"C", u"C:", u"C:\\P%OS%Q", u"C:\\P!OS!Q", u"C:\\P\" & x", u"C:\\100%"}) {
        EXPECT_FALSE(BatchPath(refused, szPath, 260)) << refused;
    }
    const u16string kSuffix = u"\\Korvane\\morvessa\\assign.bat";
    u16string fits = u"d:\\" + u16string(259 - kSuffix.size() - 3, u'p');
    EXPECT_TRUE(BatchPath(fits.c_str(), szPath, 260));
    EXPECT_EQ(u16string(szPath), fits + kSuffix);
    EXPECT_FALSE(BatchPath((fits + u"p").c_str(), szPath, 260));
}

// cmd.exe runs no AutoRun commands (/d) and expands no !NAME! (/v:off).
TEST(Batch, CommandLineQuotesThePathsForCmd) {
    char16_t szLine[120];
    ASSERT_TRUE(BatchCommandLine(u"C:\\W\\cmd.exe", u"C:\\P F\\assign.bat", u"E: F:", szLine, 120));
    EXPECT_EQ(u16string(szLine),
              u"\"C:\\W\\cmd.exe\" /d /v:off /s /c \"\"C:\\P F\\assign.bat\" E: F:\"");
}

TEST(Wait, TimeLeftAcrossTheTickCountsWrap) {
    struct {
        uint32_t start, now, expected;
    } const cases[] = {
        {1000, 1000, 60000},     {1000, 31000, 30000},        {0, 59999, 1}, {0, 60000, 0},
        {1000, 90000, 0},        {0xFFFFFF00u, 0x100, 59488}, // 512 ms across the wrap
        {0xFFFFFF00u, 60000, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(WaitTimeLeft(c.start, c.now, 60000), c.expected) << c.start << " " << c.now;
    }
}

TEST(ChangeOutcome, ExitCodesGroupedAsTheUserNeedsThem) {
    using R = CChangeResult;
    EXPECT_EQ(ChangeOutcomeMessage({R::Ended, 0}), 0u);
    for (uint32_t code : {1u, 2u, 3u, 4u, 5u, 9u, 10u, 12u, 13u}) {
        EXPECT_EQ(ChangeOutcomeMessage({R::Ended, code}), unsigned{IDS_CHANGE_NOT_MADE}) << code;
    }
    for (uint32_t code : {6u, 7u, 8u}) {
        EXPECT_EQ(ChangeOutcomeMessage({R::Ended, code}), unsigned{IDS_CHANGE_CONFLICT}) << code;
    }
    EXPECT_EQ(ChangeOutcomeMessage({R::Ended, 11}), unsigned{IDS_CHANGE_NO_LETTER});
    for (uint32_t code : {14u, 259u, 9009u, 0xC000013Au}) {
        EXPECT_EQ(ChangeOutcomeMessage({R::Ended, code}), unsigned{IDS_CHANGE_UNKNOWN}) << code;
    }
    EXPECT_EQ(ChangeOutcomeMessage({R::BatchMissing}), unsigned{IDS_BATCH_MISSING});
    EXPECT_EQ(ChangeOutcomeMessage({R::NotStarted}), unsigned{IDS_CHANGE_NOT_MADE});
}

// A batch file ended from outside gives 1 on Windows and 0 under Wine, whatever it had done.
TEST(ChangeOutcome, ADriveFoundWithoutLetterAfterAFailureIsToldSo) {
    using R = CChangeResult;
    for (uint32_t code : {1u, 7u, 10u, 14u}) {
        EXPECT_TRUE(ShouldLookForDriveAgain({R::Ended, code})) << code;
        EXPECT_EQ(ChangeOutcomeMessage({R::Ended, code, false}), unsigned{IDS_CHANGE_NO_LETTER})
            << code;
    }
    EXPECT_FALSE(ShouldLookForDriveAgain({R::Ended, 0}));
    EXPECT_EQ(ChangeOutcomeMessage({R::Ended, 0, false}), 0u);
    EXPECT_FALSE(ShouldLookForDriveAgain({R::BatchMissing}));
}

} // namespace
