// The dialogs' decisions: offered letters, what OK does, the batch call, the About text.

#include "ui/DialogRules.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using std::u16string;

u16string Offered(uint32_t freeLetters) {
    COfferedLetters offered = OfferedLetters(freeLetters);
    u16string list;
    for (size_t i = 0; i < offered.nCount; ++i) {
        list += offered.apszLetters[i];
    }
    return list;
}

uint32_t Bit(char16_t letter) {
    return 1u << (letter - u'A');
}

// Which free letters are offered, in order and without A: or B:, is shown end to end too
// (e2e.sh typical_run_ide, network_drives).
TEST(Letters, OfferedAreTheFreeOnesFromCToZInOrder) {
    EXPECT_EQ(Offered(0xFFFFFFFFu), u"C:D:E:F:G:H:I:J:K:L:M:N:O:P:Q:R:S:T:U:V:W:X:Y:Z:");
    EXPECT_EQ(Offered(Bit(u'C')), u"C:");
    EXPECT_EQ(OfferedLetters(0).nCount, 0u);
}

TEST(Letters, FreeOnlyWhenNeitherADosNameNorARememberedNetworkDriveHoldsIt) {
    constexpr uint32_t kFileNotFound = 2, kAccessDenied = 5, kInsufficientBuffer = 122;
    // The DOS query's length and error, the Network key's status. A defined letter and one a
    // remembered network drive holds are shown under Wine (DriveLetters.*).
    EXPECT_TRUE(IsFreeLetter(0, kFileNotFound, kFileNotFound));
    EXPECT_FALSE(IsFreeLetter(0, kInsufficientBuffer, kFileNotFound));
    EXPECT_FALSE(IsFreeLetter(0, kFileNotFound, kAccessDenied)) << "a key it may not read";
}

TEST(Letters, ListTextOfTheCurrentLetter) {
    EXPECT_EQ(u16string(LetterText(u'E')), u"E:");
    EXPECT_EQ(u16string(LetterText(u'a')), u"A:");
    EXPECT_EQ(u16string(LetterText(u'Z')), u"Z:");
    EXPECT_EQ(u16string(LetterText(u'z')), u"Z:");
    EXPECT_EQ(LetterText(u'@'), nullptr);
    EXPECT_EQ(LetterText(u'['), nullptr);
    EXPECT_EQ(LetterText(0), nullptr);
}

TEST(Notice, ShownUnlessHideMsgIsANonZeroDword) {
    EXPECT_TRUE(ShouldShowNotice(false, 1));
    EXPECT_TRUE(ShouldShowNotice(true, 0));
    EXPECT_FALSE(ShouldShowNotice(true, 1));
    EXPECT_FALSE(ShouldShowNotice(true, 0x80000000u));
}

TEST(OkButton, LaunchesOnlyWhenTheDriveAndTheNewLetterAreAsListed) {
    // currentFound, freeFound, driveFoundAgain, letterAgain, letterAtStart, newLetterFree
    EXPECT_EQ(DecideOk({true, true, true, u'E', u'E', true}).kind, COkAction::Launch);
    EXPECT_EQ(DecideOk({false, true, true, u'E', u'E', true}).kind, COkAction::Nothing);
    EXPECT_EQ(DecideOk({true, false, true, u'E', u'E', true}).kind, COkAction::Nothing);
    const COkFacts driveOff[] = {{true, true, false, u'E', u'E', true},
                                 {true, true, true, u'G', u'E', true},
                                 {true, true, false, 0, u'E', false}};
    for (const COkFacts& facts : driveOff) {
        COkAction action = DecideOk(facts);
        EXPECT_EQ(action.kind, COkAction::Warn);
        EXPECT_EQ(action.nStringId, unsigned{IDS_DRIVE_OFF});
    }
    COkAction taken = DecideOk({true, true, true, u'E', u'E', false});
    EXPECT_EQ(taken.kind, COkAction::Warn);
    EXPECT_EQ(taken.nStringId, unsigned{IDS_BAD_NEW_LETTER});
}

TEST(Batch, PathUnderAnAbsoluteProgramFilesFolder) {
    char16_t szPath[260] = u"previous";
    ASSERT_TRUE(BatchPath(u"C:\\Program Files (x86)", szPath, 260));
    EXPECT_EQ(u16string(szPath), u"C:\\Program Files (x86)\\Korvane\\morvessa\\assign.bat");
    EXPECT_TRUE(BatchPath(u"d:\\Apps", szPath, 260));
    EXPECT_TRUE(BatchPath(u"Z:\\", szPath, 260));
    EXPECT_FALSE(BatchPath(nullptr, szPath, 260));
    for (const char16_t* relative : {u"", u"Program Files", u"C:Program Files", u"\\Program Files",
                                     u"\\\\server\\share", u"1:\\x", u"C", u"C:"}) {
        EXPECT_FALSE(BatchPath(relative, szPath, 260));
    }
}

TEST(Batch, APathThatDoesNotFitLaunchesNothing) {
    char16_t szPath[260];
    const u16string kSuffix = u"\\Korvane\\morvessa\\assign.bat";
    u16string fits = u"C:\\" + u16string(259 - kSuffix.size() - 3, u'p');
    EXPECT_TRUE(BatchPath(fits.c_str(), szPath, 260));
    EXPECT_EQ(u16string(szPath).size(), 259u);
    EXPECT_FALSE(BatchPath((fits + u"p").c_str(), szPath, 260));
}

TEST(Batch, ParametersAreBothLettersWithASpace) {
    char16_t szParameters[16];
    ASSERT_TRUE(BatchParameters(u"E:", u"F:", szParameters, 16));
    EXPECT_EQ(u16string(szParameters), u"E: F:");
    EXPECT_FALSE(BatchParameters(u"E:", u"F:", szParameters, 5));
}

TEST(Batch, RunThroughTheSystemsCmdWithoutAutoRun) {
    char16_t szLine[120];
    ASSERT_TRUE(
        BatchCommandLine(u"C:\\windows\\system32", u"C:\\P F\\assign.bat", u"E: F:", szLine, 120));
    EXPECT_EQ(u16string(szLine),
              u"\"C:\\windows\\system32\\cmd.exe\" /d /s /c \"\"C:\\P F\\assign.bat\" E: F:\"");
    EXPECT_FALSE(
        BatchCommandLine(u"C:\\windows\\system32", u"C:\\P F\\assign.bat", u"E: F:", szLine, 60));
}

TEST(ChangeOutcome, ExitCodesGroupedAsTheUserNeedsThem) {
    using R = CChangeResult;
    EXPECT_EQ(ChangeOutcomeMessage({R::Exited, 0}), 0u);
    for (uint32_t code : {1u, 2u, 3u, 4u, 5u, 9u, 10u, 12u}) {
        EXPECT_EQ(ChangeOutcomeMessage({R::Exited, code}), unsigned{IDS_CHANGE_NOT_MADE}) << code;
    }
    for (uint32_t code : {6u, 7u, 8u}) {
        EXPECT_EQ(ChangeOutcomeMessage({R::Exited, code}), unsigned{IDS_CHANGE_CONFLICT}) << code;
    }
    EXPECT_EQ(ChangeOutcomeMessage({R::Exited, 11}), unsigned{IDS_CHANGE_NO_LETTER});
    for (uint32_t code : {13u, 9009u, 0xC000013Au}) {
        EXPECT_EQ(ChangeOutcomeMessage({R::Exited, code}), unsigned{IDS_CHANGE_UNKNOWN}) << code;
    }
    EXPECT_EQ(ChangeOutcomeMessage({R::BatchMissing, 0}), unsigned{IDS_BATCH_MISSING});
    EXPECT_EQ(ChangeOutcomeMessage({R::NotStarted, 0}), unsigned{IDS_CHANGE_NOT_MADE});
    EXPECT_EQ(ChangeOutcomeMessage({R::TimedOut, 0}), unsigned{IDS_CHANGE_TIMEOUT});
}

TEST(AboutText, EndsAfterTheBytesStored) {
    char16_t szText[8] = {'V', '3', 'X', 'X', 'X', 'X', 'X', 'X'};
    TerminateStoredText(szText, 8, 4);
    EXPECT_EQ(u16string(szText), u"V3");
    TerminateStoredText(szText, 8, 5);
    EXPECT_EQ(szText[2], 0);
    // Unterminated text that fills the buffer loses its last character to the NUL.
    char16_t szFull[4] = {'A', 'B', 'C', 'D'};
    TerminateStoredText(szFull, 4, 8);
    EXPECT_EQ(u16string(szFull), u"ABC");
}

} // namespace
