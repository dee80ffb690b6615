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

TEST(Letters, OfferedAreTheFreeOnesFromCToZInOrder) {
    EXPECT_EQ(Offered(0xFFFFFFFFu), u"C:D:E:F:G:H:I:J:K:L:M:N:O:P:Q:R:S:T:U:V:W:X:Y:Z:");
    EXPECT_EQ(Offered(Bit(u'A') | Bit(u'B')), u"");
    EXPECT_EQ(Offered(Bit(u'Z') | Bit(u'D')), u"D:Z:");
    EXPECT_EQ(Offered(Bit(u'C')), u"C:");
    EXPECT_EQ(OfferedLetters(0).nCount, 0u);
}

TEST(Letters, FreeOnlyWhenTheNameIsNotDefined) {
    constexpr uint32_t kFileNotFound = 2, kInsufficientBuffer = 122;
    EXPECT_TRUE(IsFreeLetter(0, kFileNotFound));
    EXPECT_FALSE(IsFreeLetter(0, kInsufficientBuffer));
    EXPECT_FALSE(IsFreeLetter(14, kFileNotFound));
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

TEST(OkButton, Table) {
    struct Row {
        const char* name;
        COkFacts facts;
        COkAction::Kind kind;
        unsigned stringId;
    } rows[] = {
        {"typical run", {true, true, true, u'E', u'E', true}, COkAction::Launch, 0},
        {"no drive letter at start", {false, true, true, u'E', u'E', true}, COkAction::Nothing, 0},
        {"no free letter", {true, false, true, u'E', u'E', true}, COkAction::Nothing, 0},
        {"drive gone", {true, true, false, u'E', u'E', true}, COkAction::Warn, IDS_DRIVE_OFF},
        {"letter changed", {true, true, true, u'G', u'E', true}, COkAction::Warn, IDS_DRIVE_OFF},
        {"new letter taken",
         {true, true, true, u'E', u'E', false},
         COkAction::Warn,
         IDS_BAD_NEW_LETTER},
        {"drive gone and letter taken",
         {true, true, false, 0, u'E', false},
         COkAction::Warn,
         IDS_DRIVE_OFF},
    };
    for (const Row& row : rows) {
        COkAction action = DecideOk(row.facts);
        EXPECT_EQ(action.kind, row.kind) << row.name;
        if (row.kind == COkAction::Warn) {
            EXPECT_EQ(action.nStringId, row.stringId) << row.name;
        }
    }
}

TEST(Batch, PathUnderTheProgramFilesFolder) {
    char16_t szPath[260] = u"previous";
    ASSERT_TRUE(BatchPath(u"C:\\Program Files (x86)", szPath, 260));
    EXPECT_EQ(u16string(szPath), u"C:\\Program Files (x86)\\Korvane\\morvessa\\assign.bat");
    EXPECT_FALSE(BatchPath(nullptr, szPath, 260));
    EXPECT_FALSE(BatchPath(u"", szPath, 260));
}

TEST(Batch, OnlyAnAbsoluteProgramFilesFolderIsUsed) {
    char16_t szPath[260];
    EXPECT_TRUE(BatchPath(u"d:\\Apps", szPath, 260));
    EXPECT_TRUE(BatchPath(u"Z:\\", szPath, 260));
    for (const char16_t* relative : {u"Program Files", u"C:Program Files", u"\\Program Files",
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

TEST(ChangeOutcome, Table) {
    using R = CChangeResult;
    struct Row {
        R result;
        unsigned message;
    } rows[] = {
        {{R::Exited, 0}, 0},
        {{R::Exited, 1}, IDS_CHANGE_NOT_MADE},
        {{R::Exited, 5}, IDS_CHANGE_NOT_MADE},
        {{R::Exited, 6}, IDS_CHANGE_CONFLICT},
        {{R::Exited, 7}, IDS_CHANGE_CONFLICT},
        {{R::Exited, 8}, IDS_CHANGE_CONFLICT},
        {{R::Exited, 9}, IDS_CHANGE_NOT_MADE},
        {{R::Exited, 10}, IDS_CHANGE_NOT_MADE},
        {{R::Exited, 11}, IDS_CHANGE_NO_LETTER},
        {{R::Exited, 12}, IDS_CHANGE_UNKNOWN},
        {{R::Exited, 9009}, IDS_CHANGE_UNKNOWN},
        {{R::Exited, 0xC000013Au}, IDS_CHANGE_UNKNOWN},
        {{R::BatchMissing, 0}, IDS_BATCH_MISSING},
        {{R::NotStarted, 0}, IDS_CHANGE_NOT_MADE},
        {{R::TimedOut, 0}, IDS_CHANGE_TIMEOUT},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(ChangeOutcomeMessage(row.result), row.message)
            << row.result.kind << " " << row.result.dwExitCode;
    }
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
