// The main dialog: the lists it fills, the checks OK makes again, and the hand-off to
// assign.bat.

#include "ProgramFixture.h"

using namespace program_test;

namespace {

constexpr DWORD kInterfaceSetFlags = DIGCF_PRESENT | DIGCF_PROFILE | DIGCF_DEVICEINTERFACE;
const std::u16string kBatchTail = u"\\Korvane\\morvessa\\assign.bat";

class MainDialogTest : public ProgramTest {
protected:
    MainDialogTest() { PlantDriveAt(u'E'); }

    // Changes the machine while the dialog is up, before the user presses OK.
    UserAction Meanwhile(std::function<void()> change) {
        return UserAction::Look([change](HWND) { change(); });
    }

    std::vector<std::u16string> Letters(const std::u16string& letters) const {
        std::vector<std::u16string> items;
        for (wchar16 letter : letters) {
            items.push_back(Letter(letter));
        }
        return items;
    }
};

TEST_F(MainDialogTest, TypicalRunStoresTheOptOutAndLaunchesTheBatchHidden) {
    RunProgram({PickNewLetter(u"F:"), UserAction::Ok(), UserAction::ClickCheck(IDC_DONT_SHOW),
                UserAction::Ok()});

    ASSERT_EQ(ShownTemplates(), (std::vector<int>{IDD_MAIN_DIALOG, IDD_NOTICE}));
    EXPECT_EQ(Shown(0).caption, kTitle);
    EXPECT_EQ(Shown(0).owner, nullptr);
    EXPECT_EQ(Shown(0).result, IDOK);
    EXPECT_EQ(Shown(1).owner, Shown(0).window);
    EXPECT_TRUE(Shown(1).ownerDisabledWhileShown);
    EXPECT_EQ(machine.Value(HKEY_LOCAL_MACHINE, kProductKey, u"HideMsg")->bytes,
              (std::vector<uint8_t>{1, 0, 0, 0}));
    ASSERT_EQ(machine.Launches().size(), 1u);
    const ShellLaunch& launch = machine.Launches()[0];
    EXPECT_EQ(launch.file, kBatchPath);
    EXPECT_EQ(launch.parameters, u"E: F:");
    EXPECT_EQ(launch.showCommand, SW_HIDE);
    EXPECT_EQ(launch.verb, u"");
    EXPECT_EQ(launch.directory, u"");
    EXPECT_EQ(launch.owner, nullptr);
    EXPECT_TRUE(machine.MessageBoxes().empty());
}

TEST_F(MainDialogTest, ListsHoldTheDriveLetterAndEveryFreeLetterFromC) {
    RunProgram({UserAction::Cancel()});

    ControlState current = ControlAfterInit(Shown(0), IDC_CURRENT_LETTER);
    ControlState next = ControlAfterInit(Shown(0), IDC_NEW_LETTER);
    EXPECT_EQ(current.items, Letters(u"E"));
    EXPECT_EQ(current.selection, 0);
    EXPECT_TRUE(current.enabled);
    EXPECT_EQ(next.items, Letters(u"DFGHIJKLMNOPQRSTUVWXYZ"));
    EXPECT_EQ(next.selection, 0);
    EXPECT_NE(Shown(0).bigIcon, nullptr);
    EXPECT_EQ(Shown(0).result, IDCANCEL);
    EXPECT_TRUE(machine.Launches().empty());
}

TEST_F(MainDialogTest, TheOnlyFreeLetterIsOfferedAndUsed) {
    UseLetters(u"FGHIJKLMNOPQRSTUVWXYZ");
    HideNotice();

    RunProgram({UserAction::Ok()});

    EXPECT_EQ(ControlAfterInit(Shown(0), IDC_NEW_LETTER).items, Letters(u"D"));
    ASSERT_EQ(machine.Launches().size(), 1u);
    EXPECT_EQ(machine.Launches()[0].parameters, u"E: D:");
}

// A DOS name whose target does not fit the buffer (a drive substituted for a deep
// folder) or cannot be read is in use: only "not found" means free.
TEST_F(MainDialogTest, LetterThatCannotBeQueriedIsNotOffered) {
    machine.FailDosDevice(u"G:", ERROR_INSUFFICIENT_BUFFER);
    machine.FailDosDevice(u"H:", ERROR_ACCESS_DENIED);

    RunProgram({UserAction::Cancel()});

    EXPECT_EQ(ControlAfterInit(Shown(0), IDC_NEW_LETTER).items, Letters(u"DFIJKLMNOPQRSTUVWXYZ"));
}

TEST_F(MainDialogTest, NewLetterTakenBeforeOkIsRefused) {
    HideNotice();

    RunProgram({PickNewLetter(u"F:"),
                Meanwhile([this] { machine.PlantDosDevice(u"F:", u"\\??\\C:\\Work"); }),
                UserAction::Ok(), UserAction::Answer(IDOK)});

    ExpectOneMessage(kBadNewLetter, kWarningStyle, Shown(0).window);
    EXPECT_TRUE(machine.Launches().empty());
    EXPECT_EQ(Shown(0).result, IDOK);
}

TEST_F(MainDialogTest, NewLetterUnreadableBeforeOkIsRefused) {
    HideNotice();

    RunProgram({PickNewLetter(u"F:"),
                Meanwhile([this] { machine.FailDosDevice(u"F:", ERROR_INSUFFICIENT_BUFFER); }),
                UserAction::Ok(), UserAction::Answer(IDOK)});

    ExpectOneMessage(kBadNewLetter, kWarningStyle, Shown(0).window);
    EXPECT_TRUE(machine.Launches().empty());
}

TEST_F(MainDialogTest, DriveGoneBeforeOkIsReportedAfterTheNotice) {
    RunProgram(
        {Meanwhile([this] { machine.FailClassDevs(kGuidInterfaceCdrom, kInterfaceSetFlags); }),
         UserAction::Ok(), UserAction::Ok(), UserAction::Answer(IDOK)});

    EXPECT_EQ(ShownTemplates(), (std::vector<int>{IDD_MAIN_DIALOG, IDD_NOTICE}));
    ExpectOneMessage(kDriveOff, kWarningStyle, Shown(0).window);
    EXPECT_TRUE(machine.Launches().empty());
}

TEST_F(MainDialogTest, LetterChangedBeforeOkIsReportedAsDriveOff) {
    HideNotice();

    RunProgram(
        {Meanwhile([this] { MoveDriveTo(u'D'); }), UserAction::Ok(), UserAction::Answer(IDOK)});

    ExpectOneMessage(kDriveOff, kWarningStyle, Shown(0).window);
    EXPECT_TRUE(machine.Launches().empty());
}

TEST_F(MainDialogTest, WithoutFreeLetterListsAreDisabledAndOkOnlyShowsTheNotice) {
    UseLetters(u"DFGHIJKLMNOPQRSTUVWXYZ");

    RunProgram({UserAction::Ok(), UserAction::Ok()});

    EXPECT_FALSE(ControlAfterInit(Shown(0), IDC_CURRENT_LETTER).enabled);
    EXPECT_FALSE(ControlAfterInit(Shown(0), IDC_NEW_LETTER).enabled);
    EXPECT_TRUE(ControlAfterInit(Shown(0), IDOK).enabled);
    EXPECT_TRUE(ControlAfterInit(Shown(0), IDCANCEL).enabled);
    EXPECT_EQ(ShownTemplates(), (std::vector<int>{IDD_MAIN_DIALOG, IDD_NOTICE}));
    EXPECT_TRUE(machine.MessageBoxes().empty());
    EXPECT_TRUE(machine.Launches().empty());
    EXPECT_EQ(Shown(0).result, IDOK);
}

TEST_F(MainDialogTest, CancelEscapeAndCloseBoxLaunchNothing) {
    for (const UserAction& leave :
         {UserAction::Cancel(), UserAction::Escape(), UserAction::Close()}) {
        RunProgram({leave});
        machine.EndProcess();
    }

    EXPECT_EQ(ShownTemplates(),
              (std::vector<int>{IDD_MAIN_DIALOG, IDD_MAIN_DIALOG, IDD_MAIN_DIALOG}));
    for (const ShownDialog& dialog : machine.Dialogs()) {
        EXPECT_EQ(dialog.result, IDCANCEL);
    }
    EXPECT_TRUE(machine.Launches().empty());
    EXPECT_FALSE(machine.Value(HKEY_LOCAL_MACHINE, kProductKey, u"HideMsg").has_value());
}

TEST_F(MainDialogTest, MinimisedDialogPaintsItsIconCentredAndReleasesEverything) {
    RECT client{};
    LRESULT dragIcon = 0;
    RunProgram({UserAction::MinimizeWindow(), UserAction::Look([&](HWND dialog) {
                    platform().GetClientRect(dialog, &client);
                    dragIcon = platform().SendMessageW(dialog, WM_QUERYDRAGICON, 0, 0);
                }),
                UserAction::RestoreWindow(), UserAction::Cancel()});

    ASSERT_EQ(machine.DrawnIcons().size(), 1u);
    const DrawnIcon& drawn = machine.DrawnIcons()[0];
    EXPECT_EQ(drawn.window, Shown(0).window);
    EXPECT_EQ(drawn.icon, Shown(0).bigIcon);
    EXPECT_EQ(drawn.x, (client.right - platform().GetSystemMetrics(SM_CXICON) + 1) / 2);
    EXPECT_EQ(drawn.y, (client.bottom - platform().GetSystemMetrics(SM_CYICON) + 1) / 2);
    EXPECT_EQ(reinterpret_cast<HICON>(dragIcon), Shown(0).bigIcon);
    // Only the instance mutex stays open: paint contexts ended, system menu destroyed.
    EXPECT_EQ(machine.OpenHandleCount(), 1u);
}

// With administrator rights, a relative or cut path could start another program.
struct ProgramFilesCase {
    const char* name;
    bool set;
    std::u16string value;
};

void PrintTo(const ProgramFilesCase& c, std::ostream* os) {
    *os << c.name;
}

class BatchPathTest : public MainDialogTest,
                      public ::testing::WithParamInterface<ProgramFilesCase> {};

TEST_P(BatchPathTest, PathThatIsNotWholeLaunchesNothing) {
    if (GetParam().set) {
        machine.SetEnvironment(u"ProgramFiles", GetParam().value);
    } else {
        machine.UnsetEnvironment(u"ProgramFiles");
    }
    HideNotice();

    RunProgram({UserAction::Ok()});

    EXPECT_TRUE(machine.Launches().empty());
    EXPECT_TRUE(machine.MessageBoxes().empty());
}

INSTANTIATE_TEST_SUITE_P(
    ProgramFiles, BatchPathTest,
    ::testing::Values(ProgramFilesCase{"missing", false, u""}, ProgramFilesCase{"empty", true, u""},
                      ProgramFilesCase{"path one past the buffer", true,
                                       u"C:\\" + std::u16string(260 - 28 - 3, u'x')},
                      ProgramFilesCase{"value longer than the buffer", true,
                                       u"C:\\" + std::u16string(300, u'x')}));

TEST_F(MainDialogTest, PathThatJustFitsIsLaunched) {
    const std::u16string folder = u"C:\\" + std::u16string(259 - kBatchTail.size() - 3, u'x');
    machine.SetEnvironment(u"ProgramFiles", folder);
    HideNotice();

    RunProgram({UserAction::Ok()});

    ASSERT_EQ(machine.Launches().size(), 1u);
    EXPECT_EQ(machine.Launches()[0].file, folder + kBatchTail);
    EXPECT_EQ(machine.Launches()[0].file.size(), 259u);
}

} // namespace
