// The in-memory machine's system half where it could fool the program's tests: the
// reading of resource scripts, the order in which nested dialogs and message boxes take
// the script's actions, combo boxes, named kernel objects and the version records.

#include "machine/Machine.h"
#include "machine/ResourceScripts.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <set>

// After the machine's headers: resource.h supplies IDOK only where windows.h is missing.
#include "res/resource.h"

namespace {

using machine_system::ReadResourceText;

// ---- Resource scripts --------------------------------------------------------------------

constexpr DWORD kTabStop = 0x00010000;
constexpr DWORD kChildVisible = 0x50000000;

TEST(ResourceScriptReading, FollowsTheResourceCompilersRulesForTextAndStyles) {
    auto reading =
        ReadResourceText("#define IDS_QUOTE 17\n"
                         "#ifndef IDC_STATIC\n#define IDC_STATIC 99\n#endif\n"
                         "LANGUAGE LANG_FRENCH, SUBLANG_FRENCH\n"
                         "STRINGTABLE BEGIN IDS_QUOTE \"say \"\"hi\"\"\\nnow\" END\n"
                         "/* a comment with \"quotes\" */ 40 DIALOGEX 0, 0, 100, 50\n"
                         "CAPTION \"Titre\" // captions add WS_CAPTION\n"
                         "BEGIN\n"
                         "  DEFPUSHBUTTON \"OK\", IDOK, 1, 1, 10, 10\n"
                         "  AUTOCHECKBOX \"c\", 5, 1, 1, 10, 10, NOT WS_TABSTOP | WS_DISABLED\n"
                         "  CONTROL 128, IDC_STATIC, \"static\", SS_ICON, 1, 1, 10, 10\n"
                         "END\n",
                         ".", "inline.rc");
    ASSERT_EQ("", reading.error);
    const auto& resources = reading.resources;
    ASSERT_NE(nullptr, resources.String(17, kLangFrench));
    EXPECT_EQ(u"say \"hi\"\nnow", *resources.String(17, kLangFrench));

    const auto* dialog = resources.Dialog(40, kLangFrench);
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ(kLangFrench, dialog->language);
    EXPECT_EQ(0x80C80000u, dialog->style); // WS_POPUP | WS_BORDER | WS_SYSMENU, + WS_CAPTION
    ASSERT_EQ(3u, dialog->controls.size());
    EXPECT_EQ(kChildVisible | kTabStop | 0x1u, dialog->controls[0].style);
    EXPECT_EQ(kChildVisible | 0x08000000u | 0x3u, dialog->controls[1].style);
    EXPECT_EQ(u"Static", dialog->controls[2].className);
    EXPECT_EQ(-1, dialog->controls[2].id); // windows.h's IDC_STATIC: the #ifndef is skipped
    EXPECT_EQ(128, dialog->controls[2].textResourceId);
}

TEST(ResourceScriptReading, KeepsOnlyActiveBranchesAndSkipsResourcesItDoesNotModel) {
    auto reading = ReadResourceText("#define LEVEL 2\n"
                                    "#if defined(LEVEL) && LEVEL == 3\n1 ICON \"three.ico\"\n"
                                    "#elif LEVEL == 2\n2 ICON \"two.ico\"\n"
                                    "#else\n3 ICON \"other.ico\"\n#endif\n"
                                    "VS_VERSION_INFO VERSIONINFO FILEVERSION 1,0,0,0\n"
                                    "BEGIN BLOCK \"x\" BEGIN VALUE \"a\", \"b\" END END\n"
                                    "NAMED DIALOGEX 0, 0, 1, 1 BEGIN END\n"
                                    "STRINGTABLE { 7, L\"after\" }\n",
                                    ".", "branches.rc");
    ASSERT_EQ("", reading.error);
    EXPECT_EQ(std::set<int>{2}, [&] {
        std::set<int> ids;
        for (const auto& icon : reading.resources.icons) {
            ids.insert(icon.first);
        }
        return ids;
    }());
    EXPECT_TRUE(reading.resources.dialogs.empty());
    EXPECT_EQ(u"after", *reading.resources.String(7, kLangEnglishUs));
}

TEST(ResourceScriptReading, ReportsWhereItCannotFollowTheScript) {
    auto unknown =
        ReadResourceText("1 DIALOGEX 0, 0, 1, 1\nSTYLE WS_NOSUCH\nBEGIN\nEND\n", ".", "bad.rc");
    EXPECT_EQ("bad.rc:2: unknown symbol WS_NOSUCH", unknown.error);
    auto twice = ReadResourceText("STRINGTABLE BEGIN 1 \"a\"\n1 \"b\" END\n", ".", "twice.rc");
    EXPECT_NE(std::string::npos, twice.error.find("twice.rc:2"));
}

TEST(ResourceLoaderLanguage, IsChosenPerBlockOfSixteenStringsThenFallsBackToEnglish) {
    auto reading = ReadResourceText("LANGUAGE LANG_ENGLISH, SUBLANG_ENGLISH_US\n"
                                    "STRINGTABLE BEGIN 1 \"one\" 2 \"two\" 20 \"twenty\" END\n"
                                    "LANGUAGE LANG_JAPANESE, SUBLANG_DEFAULT\n"
                                    "STRINGTABLE BEGIN 1 \"ichi\" END\n",
                                    ".", "blocks.rc");
    ASSERT_EQ("", reading.error);
    const auto& resources = reading.resources;
    EXPECT_EQ(u"ichi", *resources.String(1, kLangJapanese));
    // Japanese has the block of strings 0-15, so string 2 is missing there, not English.
    EXPECT_EQ(nullptr, resources.String(2, kLangJapanese));
    EXPECT_EQ(u"twenty", *resources.String(20, kLangJapanese));
    EXPECT_EQ(u"one", *resources.String(1, kLangGerman));
}

// ---- Dialogs, message boxes and the script -----------------------------------------------

// The dialog procedure the tests run dialogs with: it forwards to whatever the test sets.
std::function<INT_PTR(HWND, UINT, WPARAM, LPARAM)> g_onMessage;

INT_PTR CALLBACK TestDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return g_onMessage ? g_onMessage(dialog, message, wParam, lParam) : FALSE;
}

class MachineDialogTest : public ::testing::Test {
protected:
    MachineDialogTest() : m_guard(machine) {}
    ~MachineDialogTest() override { g_onMessage = nullptr; }

    INT_PTR Run(int templateId, HWND owner = nullptr) {
        return machine.DialogBoxParamW(machine.GetModuleHandleW(nullptr),
                                       MAKEINTRESOURCEW(templateId), owner, &TestDialogProc, 0);
    }
    static bool IsClick(UINT message, WPARAM wParam, int id) {
        return message == WM_COMMAND && LOWORD(wParam) == id && HIWORD(wParam) == BN_CLICKED;
    }

    Machine machine;

private:
    ScopedPlatform m_guard;
};

TEST_F(MachineDialogTest, NestedBoxesAndDialogsTakeTheNextActionsAndTheRestGoesBack) {
    HWND mainDialog = nullptr;
    g_onMessage = [&](HWND dialog, UINT message, WPARAM wParam, LPARAM) -> INT_PTR {
        if (message == WM_INITDIALOG) {
            mainDialog = mainDialog == nullptr ? dialog : mainDialog;
            return TRUE;
        }
        if (dialog == mainDialog && IsClick(message, wParam, IDOK)) {
            if (machine.MessageBoxW(dialog, u"Go on?", u"Q", MB_YESNO) == IDYES) {
                Run(IDD_NOTICE, dialog);
            }
            machine.EndDialog(dialog, IDOK);
            return TRUE;
        }
        if (dialog != mainDialog && IsClick(message, wParam, IDOK)) {
            machine.EndDialog(dialog, 5);
            return TRUE;
        }
        return FALSE;
    };
    bool ownerDisabledDuringBox = false;
    machine.SetScript({UserAction::Ok(), UserAction::Look([&](HWND box) {
                           ownerDisabledDuringBox = !machine.WindowEnabled(mainDialog);
                           EXPECT_EQ(box, machine.FindWindowW(nullptr, u"Q"));
                       }),
                       UserAction::Answer(IDYES), UserAction::ClickCheck(IDC_DONT_SHOW),
                       UserAction::Ok(), UserAction::Ok()});

    EXPECT_EQ(IDOK, Run(IDD_MAIN_DIALOG));

    ASSERT_EQ(2u, machine.Dialogs().size());
    EXPECT_EQ(IDD_NOTICE, machine.Dialogs()[1].templateId);
    EXPECT_EQ(5, machine.Dialogs()[1].result);
    EXPECT_TRUE(machine.Dialogs()[1].ownerDisabledWhileShown);
    EXPECT_TRUE(machine.Dialogs()[1].controlsAtEnd[1].checked);
    ASSERT_EQ(1u, machine.MessageBoxes().size());
    EXPECT_EQ(IDYES, machine.MessageBoxes()[0].answer);
    EXPECT_TRUE(ownerDisabledDuringBox);
    // The last OK found no dialog left to press it.
    EXPECT_EQ(1u, machine.ScriptRemaining());
    EXPECT_FALSE(machine.ScriptExhausted());
    EXPECT_EQ(nullptr, machine.FindWindowW(nullptr, u"Quenlath"));
}

TEST_F(MachineDialogTest, ABoxLeavesAnActionThatIsNoAnswerToTheDialogAndTakesItsDefault) {
    int answer = 0;
    g_onMessage = [&](HWND dialog, UINT message, WPARAM wParam, LPARAM) -> INT_PTR {
        if (IsClick(message, wParam, IDOK)) {
            answer = machine.MessageBoxW(dialog, u"Sure?", u"Q", MB_YESNO | MB_DEFBUTTON2);
            return TRUE;
        }
        if (IsClick(message, wParam, IDCANCEL)) {
            machine.EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    };
    machine.SetScript({UserAction::Ok(), UserAction::Cancel()});

    EXPECT_EQ(IDCANCEL, Run(IDD_MAIN_DIALOG));
    EXPECT_EQ(IDNO, answer);
    EXPECT_TRUE(machine.ScriptExhausted());
    EXPECT_EQ(0u, machine.ScriptRemaining());
}

TEST_F(MachineDialogTest, AnExhaustedScriptClosesEvenADialogThatIgnoresCancel) {
    g_onMessage = [](HWND, UINT message, WPARAM, LPARAM) -> INT_PTR {
        return message == WM_COMMAND ? TRUE : FALSE;
    };
    machine.SetScript({UserAction::Ok(), UserAction::Close()});

    EXPECT_EQ(IDCANCEL, Run(IDD_NOTICE));
    EXPECT_TRUE(machine.ScriptExhausted());
    // The notice has no system menu, so there was no close box to click.
    ASSERT_EQ(1u, machine.RefusedActions().size());
    EXPECT_EQ(0u, machine.OpenHandleCount());
}

TEST_F(MachineDialogTest, TheSystemMenuOfAModalFrameIsMoveAndCloseAndTakesInsertedItems) {
    g_onMessage = [&](HWND dialog, UINT message, WPARAM wParam, LPARAM) -> INT_PTR {
        if (message == WM_INITDIALOG) {
            HMENU menu = machine.GetSystemMenu(dialog, FALSE);
            machine.InsertMenuW(menu, 1, MF_BYPOSITION | MF_STRING, IDM_ABOUTBOX, u"About");
            return TRUE;
        }
        if (message == WM_SYSCOMMAND && wParam == IDM_ABOUTBOX) {
            machine.EndDialog(dialog, 77);
            return TRUE;
        }
        return FALSE;
    };
    machine.SetScript({UserAction::ChooseSystemMenu(IDM_ABOUTBOX)});

    EXPECT_EQ(77, Run(IDD_MAIN_DIALOG));
    EXPECT_EQ((std::vector<std::u16string>{u"Move", u"About", u"Close"}),
              machine.Dialogs()[0].systemMenuAfterInit);
    EXPECT_EQ(0u, machine.OpenHandleCount()); // the menu went with the window
}

TEST_F(MachineDialogTest, SortedComboBoxesIgnoreCaseAndKeepTheSelectedItem) {
    std::vector<LRESULT> results;
    g_onMessage = [&](HWND dialog, UINT message, WPARAM, LPARAM) -> INT_PTR {
        if (message != WM_INITDIALOG) {
            return FALSE;
        }
        HWND combo = machine.GetDlgItem(dialog, IDC_NEW_LETTER);
        auto send = [&](UINT msg, WPARAM w, const wchar16* text) {
            results.push_back(machine.SendMessageW(combo, msg, w, reinterpret_cast<LPARAM>(text)));
        };
        send(CB_ADDSTRING, 0, u"F:");
        send(CB_SETCURSEL, 0, nullptr);
        send(CB_ADDSTRING, 0, u"d:");
        send(CB_ADDSTRING, 0, u"E:");
        send(CB_GETCURSEL, 0, nullptr);
        send(CB_SETCURSEL, 3, nullptr);
        send(CB_GETCURSEL, 0, nullptr);
        wchar16 text[8] = u"x";
        send(CB_GETLBTEXT, 3, text);
        return TRUE;
    };

    Run(IDD_MAIN_DIALOG);
    EXPECT_EQ((std::vector<LRESULT>{0, 0, 0, 1, 2, CB_ERR, CB_ERR, CB_ERR}), results);
    ControlState combo = machine.Dialogs()[0].controlsAfterInit[5];
    EXPECT_EQ((std::vector<std::u16string>{u"d:", u"E:", u"F:"}), combo.items);
    EXPECT_EQ(-1, combo.selection);
}

// ---- Kernel objects, versions and environment -------------------------------------------

TEST(MachineKernelObjects, ANameHeldByAnotherKindOrProcessDecidesWhatCreationGives) {
    Machine machine;
    machine.PlantForeignEvent(u"Global\\Taken");
    EXPECT_EQ(nullptr, machine.CreateMutexW(nullptr, FALSE, u"Global\\Taken"));
    EXPECT_EQ(ERROR_INVALID_HANDLE, machine.GetLastError());

    HANDLE first = machine.CreateMutexW(nullptr, FALSE, u"Local\\Guard");
    EXPECT_EQ(ERROR_SUCCESS, machine.GetLastError());
    HANDLE second = machine.CreateMutexW(nullptr, TRUE, u"Guard");
    EXPECT_EQ(ERROR_ALREADY_EXISTS, machine.GetLastError());
    EXPECT_FALSE(machine.ReleaseMutex(second)); // the second caller's ownership is ignored
    EXPECT_EQ(288u, machine.GetLastError());    // ERROR_NOT_OWNER
    EXPECT_FALSE(machine.NamedObjectExists(u"Global\\Guard"));

    machine.CloseHandle(first);
    EXPECT_TRUE(machine.NamedObjectExists(u"Guard"));
    machine.PlantForeignMutex(u"Guard");
    machine.EndProcess();
    EXPECT_TRUE(machine.NamedObjectExists(u"Guard"));
    EXPECT_EQ(0u, machine.OpenHandleCount());
}

TEST(MachineVersion, TheBasicRecordLeavesTheExtendedFieldsAloneAndOtherSizesFail) {
    Machine machine;
    machine.version.servicePackMajor = 3;
    OSVERSIONINFOEXW info{};
    info.wServicePackMajor = 0xBEEF;
    info.dwOSVersionInfoSize = 276;
    EXPECT_TRUE(machine.GetVersionExW(&info));
    EXPECT_EQ(0xBEEF, info.wServicePackMajor);
    info.dwOSVersionInfoSize = 284;
    EXPECT_TRUE(machine.GetVersionExW(&info));
    EXPECT_EQ(3, info.wServicePackMajor);
    info.dwOSVersionInfoSize = 280;
    EXPECT_FALSE(machine.GetVersionExW(&info));
    EXPECT_EQ(ERROR_INSUFFICIENT_BUFFER, machine.GetLastError());
}

TEST(MachineVersion, LookedUpFunctionsAnswerFromTheInstalledMachine) {
    Machine machine;
    machine.version.nativeArchitecture = PROCESSOR_ARCHITECTURE_IA64;
    ScopedPlatform guard(machine);
    FARPROC found =
        machine.GetProcAddress(machine.GetModuleHandleW(u"KERNEL32.DLL"), "GetNativeSystemInfo");
    ASSERT_NE(nullptr, found);
    auto nativeInfo = reinterpret_cast<void (*)(SYSTEM_INFO*)>(reinterpret_cast<void (*)()>(found));
    SYSTEM_INFO info{};
    nativeInfo(&info);
    EXPECT_EQ(PROCESSOR_ARCHITECTURE_IA64, info.wProcessorArchitecture);

    machine.version.hasGetProductInfo = false;
    EXPECT_EQ(nullptr,
              machine.GetProcAddress(machine.GetModuleHandleW(u"kernel32"), "GetProductInfo"));
    EXPECT_EQ(127u, machine.GetLastError()); // ERROR_PROC_NOT_FOUND
}

TEST(MachineEnvironment, ABufferTooSmallGetsTheSizeAndAnEmptyString) {
    Machine machine;
    machine.SetEnvironment(u"ProgramFiles", u"C:\\PF");
    size_t required = 0;
    wchar16 buffer[5] = u"abcd";
    EXPECT_EQ(ERANGE, machine._wgetenv_s(&required, buffer, 5, u"PROGRAMFILES"));
    EXPECT_EQ(6u, required);
    EXPECT_EQ(u'\0', buffer[0]);
    EXPECT_EQ(0, machine._wgetenv_s(&required, nullptr, 0, u"ProgramFiles"));
    EXPECT_EQ(6u, required);
    EXPECT_EQ(EINVAL, machine._wgetenv_s(&required, nullptr, 5, u"ProgramFiles"));
}

} // namespace
