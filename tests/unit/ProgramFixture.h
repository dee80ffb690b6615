#pragma once
// Runs the whole program, from the application object, on an in-memory machine: helpers
// that plant a machine in one or two lines, run the program with a script of user
// actions, and find what it showed.

#include "app/SelkaroApp.h"
#include "locator/DriveIds.h"
#include "machine/Machine.h"
#include "res/resource.h"
#include "ui/SelkaroDlg.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace program_test {

// A supported IDE drive and the mount-table path the system records for it.
inline const std::u16string kDriveInstanceId = u"IDE\\CDROMVELTRANO_DVD-RW_1.00\\5&1A2B3C&0&1.0.0";
inline const std::u16string kDriveMountPath =
    u"\\??\\IDE#CDROMVELTRANO_DVD-RW_1.00#5&1a2b3c&0&1.0.0#"
    u"{53f56308-b6bf-11d0-94f2-00a0c91efb8b}";

inline const std::u16string kProductKey = u"Software\\Korvane\\Morvessa";
inline const std::u16string kCommonKey = u"SOFTWARE\\Korvane\\Common";
inline const std::u16string kMutexName = u"Global\\MorvessaTool";
inline const std::u16string kProgramFiles = u"C:\\Program Files (x86)";
inline const std::u16string kBatchPath = u"C:\\Program Files (x86)\\Korvane\\morvessa\\assign.bat";

// The English texts.
inline const std::u16string kTitle = u"Quenlath";
inline const std::u16string kToolName = u"MorvessaTool";
inline const std::u16string kNeedAdmin =
    u"Administrator's authority is needed to execute the Quenlath.";
inline const std::u16string kBadNewLetter =
    u"The drive letter specified for \"New drive letter\" is illegal.\n"
    u"The drive letter change will be aborted.";
inline const std::u16string kDriveOff = u"The internal optical disc drive is turned off.\n"
                                        u"Turn the disc drive on and run the utility again.";
inline const std::u16string kOtherUser =
    u"The Quenlath cannot be run.\nAnother user is currently running the utility.";
inline const std::u16string kUnsupportedOs =
    u"This application does not support current version of Windows.\n"
    u"Do you want to continue launching this application?";

constexpr UINT kPlainStyle = 0;
constexpr UINT kWarningStyle = 0x40030;
constexpr UINT kQuestionStyle = 0x40134;

inline UserAction PickNewLetter(const std::u16string& letter) {
    return UserAction::Select(IDC_NEW_LETTER, letter);
}

inline std::u16string Letter(wchar16 letter) {
    return std::u16string(1, letter) + u":";
}

class ProgramTest : public ::testing::Test {
protected:
    // A machine like the ones the program meets: Windows 10 without a supported-systems
    // list in the manifest reports 6.2; the system disk is C:.
    ProgramTest() {
        g_szDriveInstanceId[0] = 0;
        g_szDriveKey[0] = 0;
        g_szSearchKey[0] = 0;
        g_chCurrentLetter = 0;
        machine.version.major = 6;
        machine.version.minor = 2;
        machine.SetEnvironment(u"ProgramFiles", kProgramFiles);
        machine.PlantDosDevice(u"C:", u"\\Device\\HarddiskVolume2");
    }

    // Every scripted action was one the user could perform, and none was missing.
    void TearDown() override {
        EXPECT_TRUE(machine.RefusedActions().empty()) << machine.RefusedActions().front();
        EXPECT_FALSE(machine.ScriptExhausted());
    }

    // The supported drive, present, with its mount-table entry at the letter.
    void PlantDriveAt(wchar16 letter) {
        machine.PlantDevice(kDriveInstanceId, kGuidClassCdrom);
        machine.PlantInterface(kDriveInstanceId, kGuidInterfaceCdrom);
        machine.PlantMountedDevice(letter, VolumeGuid(letter), kDriveMountPath);
    }

    // Moves the drive's volume to another letter (the old one stays defined).
    void MoveDriveTo(wchar16 letter) {
        machine.PlantVolume(u'E', u"{11111111-2222-3333-4444-555555555555}");
        machine.PlantMountedDevice(letter, VolumeGuid(letter), kDriveMountPath);
    }

    // Defines the DOS names of these letters, as disks or substitutions would.
    void UseLetters(const std::u16string& letters) {
        for (wchar16 letter : letters) {
            machine.PlantDosDevice(Letter(letter), u"\\Device\\HarddiskVolume9");
        }
    }

    void HideNotice(DWORD value = 1) {
        machine.PlantDword(HKEY_LOCAL_MACHINE, kProductKey, u"HideMsg", value);
    }

    // Runs the program as a process would, from the application object to its exit.
    int RunProgram(std::vector<UserAction> script = {}) {
        machine.SetScript(std::move(script));
        CSelkaroApp app;
        return app.Run();
    }

    std::vector<int> ShownTemplates() const {
        std::vector<int> ids;
        for (const ShownDialog& dialog : machine.Dialogs()) {
            ids.push_back(dialog.templateId);
        }
        return ids;
    }

    const ShownDialog& Shown(size_t index) const { return machine.Dialogs().at(index); }

    static ControlState ControlAfterInit(const ShownDialog& dialog, int id) {
        for (const ControlState& control : dialog.controlsAfterInit) {
            if (control.id == id) {
                return control;
            }
        }
        ADD_FAILURE() << "no control " << id;
        return ControlState();
    }

    void ExpectOneMessage(const std::u16string& text, UINT style, HWND owner = nullptr) const {
        ASSERT_EQ(machine.MessageBoxes().size(), 1u);
        const ShownMessageBox& box = machine.MessageBoxes()[0];
        EXPECT_EQ(box.text, text);
        EXPECT_EQ(box.caption, kTitle);
        EXPECT_EQ(box.style, style);
        EXPECT_EQ(box.owner, owner);
    }

    static std::u16string VolumeGuid(wchar16 letter) {
        const std::u16string hex = u"0123456789ABCDEF";
        return u"{00000000-0000-0000-0000-0000000000" + hex.substr(letter >> 4, 1) +
               hex.substr(letter & 0xF, 1) + u"}";
    }

    Machine machine;
    ScopedPlatform guard{machine};
};

} // namespace program_test
