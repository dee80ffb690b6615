// The start-up gates, in their order: version question, single instance, administrator,
// drive. Each failing gate shows at most its own message and nothing after it.

#include "ProgramFixture.h"

using namespace program_test;

namespace {

class VersionGateTest : public ProgramTest {
protected:
    VersionGateTest() {
        machine.version.major = 10;
        machine.version.minor = 0;
        PlantDriveAt(u'E');
    }
};

TEST_F(VersionGateTest, NoToTheQuestionEndsStartUpSilently) {
    RunProgram({UserAction::Answer(IDNO)});

    ASSERT_EQ(machine.MessageBoxes().size(), 1u);
    const ShownMessageBox& question = machine.MessageBoxes()[0];
    EXPECT_EQ(question.text, kUnsupportedOs);
    EXPECT_EQ(question.caption, kToolName);
    EXPECT_EQ(question.style, kQuestionStyle);
    EXPECT_EQ(question.owner, nullptr);
    EXPECT_TRUE(machine.Dialogs().empty());
    EXPECT_FALSE(machine.NamedObjectExists(kMutexName));
}

TEST_F(VersionGateTest, YesToTheQuestionGoesOn) {
    RunProgram({UserAction::Answer(IDYES), UserAction::Cancel()});

    EXPECT_EQ(machine.MessageBoxes().size(), 1u);
    EXPECT_EQ(ShownTemplates(), std::vector<int>{IDD_MAIN_DIALOG});
}

TEST_F(VersionGateTest, SwitchInThe64BitViewSuppressesTheQuestion) {
    machine.PlantDword(HKEY_LOCAL_MACHINE, kCommonKey, u"DisableFutureOSWarning", 1,
                       RegView::View64);

    RunProgram({UserAction::Cancel()});

    EXPECT_TRUE(machine.MessageBoxes().empty());
    EXPECT_EQ(ShownTemplates(), std::vector<int>{IDD_MAIN_DIALOG});
    bool readIn64BitView = false;
    for (const RegCall& call : machine.RegistryCalls()) {
        readIn64BitView |= call.operation == "open" && call.path == kCommonKey &&
                           call.access == (KEY_WOW64_64KEY | KEY_QUERY_VALUE);
    }
    EXPECT_TRUE(readIn64BitView);
}

TEST_F(VersionGateTest, OnlyExactlyOneAsDwordIn64BitViewSuppresses) {
    struct Plant {
        const char* what;
        RegView view;
        DWORD type;
        std::vector<uint8_t> bytes;
    };
    std::vector<uint8_t> oversized(300, 0);
    oversized[0] = 1;
    const std::vector<Plant> plants = {
        {"1 in the 32-bit view only", RegView::View32, REG_DWORD, {1, 0, 0, 0}},
        {"the value 2", RegView::View64, REG_DWORD, {2, 0, 0, 0}},
        {"1 as text", RegView::View64, REG_SZ, Utf16Bytes(u"1")},
        {"1 as binary", RegView::View64, REG_BINARY, {1, 0, 0, 0}},
        {"data longer than 260 bytes", RegView::View64, REG_DWORD, oversized},
    };
    for (const Plant& plant : plants) {
        SCOPED_TRACE(plant.what);
        Machine other;
        other.version = machine.version;
        ScopedPlatform otherGuard(other);
        other.PlantValue(HKEY_LOCAL_MACHINE, kCommonKey, u"DisableFutureOSWarning", plant.type,
                         plant.bytes, plant.view);
        other.SetScript({UserAction::Answer(IDNO)});
        CSelkaroApp app;
        app.Run();
        EXPECT_EQ(other.MessageBoxes().size(), 1u);
    }
}

class InstanceGateTest : public ProgramTest {
protected:
    InstanceGateTest() { PlantDriveAt(u'E'); }
    void PlantRunningCopy() { machine.PlantForeignMutex(kMutexName); }
};

class AdministratorGateTest : public ProgramTest {};
class DriveGateTest : public ProgramTest {};

TEST_F(InstanceGateTest, VisibleCopyIsRestoredAndBroughtForwardWithoutAMessage) {
    PlantRunningCopy();
    HWND running = machine.PlantForeignWindow(kTitle, true, true);

    RunProgram();

    EXPECT_TRUE(machine.MessageBoxes().empty());
    EXPECT_TRUE(machine.Dialogs().empty());
    EXPECT_TRUE(machine.WasRestored(running));
    EXPECT_EQ(machine.ForegroundWindow(), running);
}

TEST_F(InstanceGateTest, CopyElsewhereIsReportedAndNothingFollows) {
    PlantRunningCopy();
    machine.isAdministrator = false;

    RunProgram({UserAction::Answer(IDOK)});

    ExpectOneMessage(kOtherUser, kPlainStyle);
    EXPECT_TRUE(machine.Dialogs().empty());
}

TEST_F(InstanceGateTest, WindowWithoutPushButtonMeansElsewhere) {
    PlantRunningCopy();
    HWND notTheDialog = machine.PlantForeignWindow(kTitle, false);

    RunProgram({UserAction::Answer(IDOK)});

    ExpectOneMessage(kOtherUser, kPlainStyle);
    EXPECT_NE(machine.ForegroundWindow(), notTheDialog);
}

TEST_F(InstanceGateTest, NameHeldByAnotherKindOfObjectMeansElsewhere) {
    machine.PlantForeignEvent(kMutexName);

    RunProgram({UserAction::Answer(IDOK)});

    ExpectOneMessage(kOtherUser, kPlainStyle);
}

TEST_F(InstanceGateTest, FirstCopyKeepsTheNameTakenUntilTheProcessEnds) {
    RunProgram({UserAction::Cancel()});

    EXPECT_TRUE(machine.NamedObjectExists(kMutexName));
    machine.EndProcess();
    EXPECT_FALSE(machine.NamedObjectExists(kMutexName));
}

TEST_F(AdministratorGateTest, NonAdministratorIsToldAndNothingFollows) {
    machine.isAdministrator = false;

    RunProgram({UserAction::Answer(IDOK)});

    ExpectOneMessage(kNeedAdmin, kWarningStyle);
    EXPECT_TRUE(machine.Dialogs().empty());
}

TEST_F(AdministratorGateTest, FailedMembershipQuestionCountsAsNonAdministrator) {
    PlantDriveAt(u'E');
    machine.membershipCheckFails = true;

    RunProgram({UserAction::Answer(IDOK)});

    ExpectOneMessage(kNeedAdmin, kWarningStyle);
    // The mutex handle stays open on purpose; the SID was freed.
    EXPECT_EQ(machine.OpenHandleCount(), 1u);
}

TEST_F(DriveGateTest, MissingDriveIsReportedAndNoDialogOpens) {
    RunProgram({UserAction::Answer(IDOK)});

    ExpectOneMessage(kDriveOff, kWarningStyle);
    EXPECT_TRUE(machine.Dialogs().empty());
}

TEST_F(AdministratorGateTest, MessagesComeInTheInterfaceLanguageAndTheMutexNameDoesNot) {
    machine.uiLanguage = kLangFrench;
    machine.isAdministrator = false;

    RunProgram({UserAction::Answer(IDOK)});

    ASSERT_EQ(machine.MessageBoxes().size(), 1u);
    EXPECT_EQ(machine.MessageBoxes()[0].text, machine.LoadedString(IDS_NEED_ADMIN));
    EXPECT_NE(machine.MessageBoxes()[0].text, kNeedAdmin);
    EXPECT_TRUE(machine.NamedObjectExists(kMutexName));
}

} // namespace
