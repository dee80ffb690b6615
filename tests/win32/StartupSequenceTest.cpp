// The start-up gates and the main dialog, run from the application object as the program
// runs them. Each scenario is a disabled test run in a process of its own, since the
// instance mutex stays taken until the process that created it ends.

#include "WineMachine.h"

#include "app/SelkaroApp.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace wine_machine;

namespace {

// The framework centres the main dialog, which has no owner, on the work area.
bool IsCentredOnTheWorkArea(HWND hWnd) {
    RECT rect = {}, workArea = {};
    GetWindowRect(hWnd, &rect);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0);
    return IsCentredOn(rect, workArea);
}

// Answers the program's windows from a second thread as a user would: Cancel on the main
// dialog, or OK after the change given, OK on a message box; and writes down what it saw.
class CUser {
public:
    explicit CUser(void (*pBeforeOk)())
        : m_pBeforeOk(pBeforeOk),
          m_hThread(CreateThread(nullptr, 0, &CUser::Watch, this, 0, nullptr)) {}
    ~CUser() { Finish(); }

    std::wstring Finish() {
        if (m_hThread != nullptr) {
            m_bStop = true;
            WaitForSingleObject(m_hThread, INFINITE);
            CloseHandle(m_hThread);
            m_hThread = nullptr;
        }
        return m_strSeen;
    }

private:
    static DWORD WINAPI Watch(void* pUser) {
        auto* pThis = static_cast<CUser*>(pUser);
        while (!pThis->m_bStop) {
            EnumWindows(&CUser::Answer, reinterpret_cast<LPARAM>(pThis));
            Sleep(20);
        }
        return 0;
    }
    static BOOL CALLBACK Answer(HWND hWnd, LPARAM lParam) {
        auto* pThis = reinterpret_cast<CUser*>(lParam);
        DWORD dwProcess = 0;
        GetWindowThreadProcessId(hWnd, &dwProcess);
        wchar_t szTitle[64] = {};
        // Reads the title without a message to the window's thread, which may not be serving
        // messages (the fake running copy's).
        InternalGetWindowText(hWnd, szTitle, 64);
        // A dialog is shown only once its controls are made and initialised.
        if (dwProcess != GetCurrentProcessId() || std::wstring(szTitle) != L"Quenlath" ||
            !IsWindowVisible(hWnd) ||
            std::find(pThis->m_answered.begin(), pThis->m_answered.end(), hWnd) !=
                pThis->m_answered.end()) {
            return TRUE;
        }
        pThis->m_answered.push_back(hWnd);
        if (GetDlgItem(hWnd, IDC_CURRENT_LETTER) != nullptr) {
            pThis->m_strSeen += IsCentredOnTheWorkArea(hWnd) ? L"[main dialog]" : L"[off centre]";
            if (pThis->m_pBeforeOk != nullptr) {
                pThis->m_pBeforeOk();
            }
            PostMessageW(hWnd, WM_COMMAND, pThis->m_pBeforeOk != nullptr ? IDOK : IDCANCEL, 0);
        } else {
            wchar_t szText[512] = {};
            GetDlgItemTextW(hWnd, 0xFFFF, szText, 512); // a message box's text
            pThis->m_strSeen += szText;
            PostMessageW(hWnd, WM_COMMAND, IDOK, 0);
        }
        return TRUE;
    }

    void (*m_pBeforeOk)();
    HANDLE m_hThread;
    volatile bool m_bStop = false;
    std::vector<HWND> m_answered;
    std::wstring m_strSeen;
};

std::wstring RunProgram(void (*pBeforeOk)() = nullptr) {
    CSelkaroApp app;
    CUser user(pBeforeOk);
    app.Run(GetModuleHandleW(nullptr));
    return user.Finish();
}

std::wstring Text(UINT nID) {
    return std::wstring(CResourceString(nID));
}

// Runs one of this program's disabled tests in a new process, through the window tool with
// the Administrators group disabled when asked; true when it passed.
bool RunInChild(const wchar_t* pszTest, bool bRestricted) {
    std::wstring line = Sibling(L"win32_tests.exe", std::wstring(L"--gtest_brief=1 "
                                                                 L"--gtest_also_run_disabled_tests "
                                                                 L"--gtest_filter=") +
                                                        pszTest);
    if (bRestricted) {
        line = Sibling(L"windowtool.exe", L"run restricted " + line);
    }
    return RunAndWait(line) == 0;
}

// Wine's token is an administrator's: the last scenario runs with the Administrators group
// disabled.
TEST(Startup, EachScenarioInAProcessOfItsOwn) {
    for (const wchar_t* pszScenario :
         {L"Startup.DISABLED_DriveAndSecondStarts", L"Startup.DISABLED_DriveLosesItsLetterBeforeOk",
          L"Startup.DISABLED_NoDrive", L"Startup.DISABLED_DriveWithoutLetter"}) {
        EXPECT_TRUE(RunInChild(pszScenario, false)) << pszScenario;
    }
    EXPECT_TRUE(RunInChild(L"Startup.DISABLED_RestrictedToken", true));
}

TEST(Startup, DISABLED_DriveAndSecondStarts) {
    CPlantedDevice ide(kIdeDriveInstance, kCdromClass, kCdromInterface);
    PlantMountEntry(L'C', kIdeDriveMountPath);
    EXPECT_EQ(RunProgram(), L"[main dialog]");
    // This process keeps the mutex: with no dialog up, the running copy is elsewhere.
    EXPECT_EQ(RunProgram(), Text(IDS_OTHER_USER));
    // With its dialog up, the running copy is brought to the front, without a message.
    CFakeDialog running(true);
    EXPECT_EQ(RunProgram(), L"");
    RemoveMountEntry(L'C');
}

// The drive loses its letter while the dialog is open: OK tells so and changes nothing.
TEST(Startup, DISABLED_DriveLosesItsLetterBeforeOk) {
    CPlantedDevice ide(kIdeDriveInstance, kCdromClass, kCdromInterface);
    PlantMountEntry(L'C', kIdeDriveMountPath);
    SetDword(L"SOFTWARE\\Korvane\\Morvessa", L"HideMsg", 1);
    EXPECT_EQ(RunProgram([] { RemoveMountEntry(L'C'); }), L"[main dialog]" + Text(IDS_DRIVE_OFF));
    DeleteTree(L"SOFTWARE\\Korvane");
}

TEST(Startup, DISABLED_NoDrive) {
    EXPECT_EQ(RunProgram(), Text(IDS_DRIVE_OFF));
}

// The device search finds the drive, but no mount-table entry names it: it is not off.
TEST(Startup, DISABLED_DriveWithoutLetter) {
    CPlantedDevice ide(kIdeDriveInstance, kCdromClass, kCdromInterface);
    EXPECT_EQ(RunProgram(), Text(IDS_DRIVE_NO_LETTER));
}

TEST(Startup, DISABLED_RestrictedToken) {
    EXPECT_EQ(RunProgram(), Text(IDS_NEED_ADMIN));
}

} // namespace
