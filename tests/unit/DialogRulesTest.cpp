// The dialogs' decisions: offered letters, what OK does, the About text.

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
// (e2e.sh typical_run_ide).
TEST(Letters, OfferedAreTheFreeOnesFromCToZInOrder) {
    EXPECT_EQ(Offered(0xFFFFFFFFu), u"C:D:E:F:G:H:I:J:K:L:M:N:O:P:Q:R:S:T:U:V:W:X:Y:Z:");
    EXPECT_EQ(Offered(Bit(u'C')), u"C:");
}

TEST(Letters, FreeOnlyWhenNeitherADosNameNorARememberedNetworkDriveHoldsIt) {
    constexpr uint32_t kFileNotFound = 2, kInsufficientBuffer = 122;
    // The DOS query's length and error, the Network key's status. A defined letter and one a
    // remembered network drive holds are shown under Wine (DriveLetters.*).
    EXPECT_TRUE(IsFreeLetter(0, kFileNotFound, kFileNotFound));
    EXPECT_FALSE(IsFreeLetter(0, kInsufficientBuffer, kFileNotFound));
}

TEST(Letters, ListTextOfTheCurrentLetter) {
    EXPECT_EQ(u16string(LetterText(u'a')), u"A:");
    EXPECT_EQ(u16string(LetterText(u'Z')), u"Z:");
    EXPECT_EQ(u16string(LetterText(u'z')), u"Z:");
    EXPECT_EQ(LetterText(u'\uFFFF'), nullptr);
}

TEST(Notice, ShownUnlessHideMsgIsANonZeroDword) {
    EXPECT_TRUE(ShouldShowNotice(true, 0));
    EXPECT_FALSE(ShouldShowNotice(true, 1));
}

TEST(OkButton, LaunchesOnlyWhenTheDriveAndTheNewLetterAreAsListed) {
    // currentFound, freeFound, driveFoundAgain, letterAgain, letterAtStart, newLetterFree
    EXPECT_EQ(DecideOk({true, true, true, u'E', u'E', true}).kind, COkAction::Launch);
    EXPECT_EQ(DecideOk({true, false, true, u'E', u'E', true}).kind, COkAction::Nothing);
    EXPECT_EQ(DecideOk({true, true, false, u'E', u'E', true}).nStringId, unsigned{IDS_DRIVE_OFF});
    EXPECT_EQ(DecideOk({true, true, true, u'G', u'E', true}).nStringId, unsigned{IDS_DRIVE_OFF});
    EXPECT_EQ(DecideOk({true, true, true, u'E', u'E', false}).nStringId,
              unsigned{IDS_BAD_NEW_LETTER});
}

TEST(AboutText, UnterminatedTextThatFillsTheBufferLosesItsLastCharacter) {
    char16_t szFull[4] = {'A', 'B', 'C', 'D'};
    TerminateStoredText(szFull, 4, 8);
    EXPECT_EQ(u16string(szFull), u"ABC");
}

} // namespace
