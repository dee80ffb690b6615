// The reassignment notice with its HideMsg opt-out, and the About box with the
// installed version.

#include "ProgramFixture.h"

using namespace program_test;

namespace {

const std::u16string kVersionKey = u"SOFTWARE\\Korvane\\Morvessa";
const std::u16string kTemplateVersion = u"V3.02L10";

class NoticeTest : public ProgramTest {
protected:
    NoticeTest() {
        PlantDriveAt(u'E');
        machine.PlantDosDevice(u"F:", u"\\Device\\HarddiskVolume3");
        UseLetters(u"DGHIJKLMNOPQRSTUVWXYZ"); // nothing to launch: the notice alone matters
    }

    bool NoticeShownOnOk() {
        size_t before = machine.Dialogs().size();
        RunProgram({UserAction::Ok(), UserAction::Ok()});
        machine.EndProcess();
        return machine.Dialogs().size() - before == 2;
    }

    std::optional<RegValueData> HideMsg() const {
        return machine.Value(HKEY_LOCAL_MACHINE, kProductKey, u"HideMsg");
    }
};

TEST_F(NoticeTest, OnlyANonZeroDwordHidesTheNotice) {
    EXPECT_TRUE(NoticeShownOnOk()) << "absent";

    const std::vector<std::pair<DWORD, std::vector<uint8_t>>> shown = {
        {REG_DWORD, {0, 0, 0, 0}}, {REG_BINARY, {1, 0, 0, 0}}, {REG_SZ, Utf16Bytes(u"1")}};
    for (const auto& value : shown) {
        machine.PlantValue(HKEY_LOCAL_MACHINE, kProductKey, u"HideMsg", value.first, value.second);
        // OK on the notice writes 0 again, so the next round starts from the planted value.
        EXPECT_TRUE(NoticeShownOnOk()) << "type " << value.first;
    }
    for (DWORD hiding : {1u, 2u, 0xFFFFFFFFu}) {
        HideNotice(hiding);
        EXPECT_FALSE(NoticeShownOnOk()) << hiding;
    }
}

TEST_F(NoticeTest, OkWithTheBoxClearWritesZeroOverAValueOfAnotherType) {
    machine.PlantString(HKEY_LOCAL_MACHINE, kProductKey, u"HideMsg", u"yes");

    EXPECT_TRUE(NoticeShownOnOk());

    ASSERT_TRUE(HideMsg().has_value());
    EXPECT_EQ(HideMsg()->type, REG_DWORD);
    EXPECT_EQ(HideMsg()->bytes, (std::vector<uint8_t>{0, 0, 0, 0}));
    EXPECT_TRUE(NoticeShownOnOk());
}

TEST_F(NoticeTest, OkWithTheBoxTickedHidesItFromThenOn) {
    RunProgram({UserAction::Ok(), UserAction::ClickCheck(IDC_DONT_SHOW), UserAction::Ok()});
    machine.EndProcess();

    EXPECT_EQ(HideMsg()->bytes, (std::vector<uint8_t>{1, 0, 0, 0}));
    EXPECT_FALSE(NoticeShownOnOk());
}

TEST_F(NoticeTest, EscapeWritesNothingAndTheChangeGoesOn) {
    machine.RemoveDosDevice(u"F:");

    RunProgram({UserAction::Ok(), UserAction::ClickCheck(IDC_DONT_SHOW), UserAction::Escape()});

    EXPECT_FALSE(HideMsg().has_value());
    EXPECT_EQ(Shown(1).result, IDCANCEL);
    ASSERT_EQ(machine.Launches().size(), 1u);
    EXPECT_EQ(machine.Launches()[0].parameters, u"E: F:");
}

class AboutBoxTest : public ProgramTest {
protected:
    AboutBoxTest() { PlantDriveAt(u'E'); }

    // Opens the About box from the system menu, closes it, then leaves the main dialog.
    std::u16string VersionLabel() {
        RunProgram(
            {UserAction::ChooseSystemMenu(IDM_ABOUTBOX), UserAction::Ok(), UserAction::Cancel()});
        if (ShownTemplates() != std::vector<int>{IDD_MAIN_DIALOG, IDD_ABOUTBOX}) {
            ADD_FAILURE() << "the About box did not open once";
            return u"";
        }
        return ControlAfterInit(Shown(1), IDC_VERSION).text;
    }
};

TEST_F(AboutBoxTest, OpensFromTheSystemMenuOwnedByTheMainDialogWhichStaysOpen) {
    EXPECT_EQ(VersionLabel(), kTemplateVersion);

    ASSERT_GE(Shown(0).systemMenuAfterInit.size(), 2u);
    EXPECT_EQ(Shown(0).systemMenuAfterInit[1], machine.LoadedString(IDS_ABOUT));
    EXPECT_EQ(Shown(1).owner, Shown(0).window);
    EXPECT_TRUE(Shown(1).ownerDisabledWhileShown);
    EXPECT_EQ(Shown(0).result, IDCANCEL);
}

struct VersionCase {
    const char* name;
    DWORD type;
    std::vector<uint8_t> bytes;
    std::u16string expectedLabel;
};

void PrintTo(const VersionCase& c, std::ostream* os) {
    *os << c.name;
}

class InstalledVersionTest : public AboutBoxTest,
                             public ::testing::WithParamInterface<VersionCase> {};

TEST_P(InstalledVersionTest, LabelShowsTheRegistryTextOrTheTemplates) {
    machine.PlantValue(HKEY_LOCAL_MACHINE, kVersionKey, u"VERSION", GetParam().type,
                       GetParam().bytes);

    EXPECT_EQ(VersionLabel(), GetParam().expectedLabel);
}

const std::u16string kLongVersion(260, u'7');

INSTANTIATE_TEST_SUITE_P(
    Values, InstalledVersionTest,
    ::testing::Values(VersionCase{"string", REG_SZ, Utf16Bytes(u"V3.05L20"), u"V3.05L20"},
                      VersionCase{"string without terminator", REG_SZ,
                                  Utf16Bytes(u"V3.05L20", false), u"V3.05L20"},
                      VersionCase{"expandable string", REG_EXPAND_SZ, Utf16Bytes(u"%V%"), u"%V%"},
                      VersionCase{"DWORD", REG_DWORD, {5, 0, 0, 0}, kTemplateVersion},
                      VersionCase{"260 characters without terminator", REG_SZ,
                                  Utf16Bytes(kLongVersion, false), kLongVersion.substr(0, 259)},
                      VersionCase{"longer than 520 bytes", REG_SZ, Utf16Bytes(kLongVersion),
                                  kTemplateVersion}));

} // namespace
