// Start-up's Win32 parts under Wine: the version facts, the instance guard's states, the
// administrator check (also under a restricted token) and DOS device queries.

#include "app/Authority.h"
#include "app/OrvikMutex.h"
#include "app/WinVersion.h"
#include "ui/SelkaroDlg.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

TEST(WinVersionOnWine, ReportsAWorkstationOfThe62Family) {
    CWinVersion version;
    // Wine answers 6.2 for Windows 10, as Windows does without a compatibility manifest.
    EXPECT_EQ(version.GetVersionCode(), CWinVersion::OSVER_WIN7);
    EXPECT_EQ(version.GetArchitecture(), CWinVersion::ARCH_64BIT) << "a 64-bit prefix";
    EXPECT_EQ(version.GetFeatures(), 0u) << "no tablet, media center or starter edition";
    EXPECT_NE(version.GetProductType(), 0u);
    EXPECT_TRUE(version.CheckFutureOSWarning(nullptr, L"asked", L"caption"));
}

TEST(WinVersionOnWine, NewerVersions) {
    GTEST_SKIP() << "Wine reports at most 6.2; VersionQuestion.* and VersionClassification.* "
                    "cover versions above it natively";
}

// A top-level window titled like the program's dialog, optionally with a push button.
class CFakeDialog {
public:
    explicit CFakeDialog(bool withButton) {
        m_hWnd = CreateWindowExW(0, L"STATIC", L"Quenlath", WS_POPUP, 0, 0, 10, 10, nullptr,
                                 nullptr, nullptr, nullptr);
        if (withButton) {
            CreateWindowExW(0, L"BUTTON", L"OK", WS_CHILD, 0, 0, 5, 5, m_hWnd, nullptr, nullptr,
                            nullptr);
        }
    }
    ~CFakeDialog() { DestroyWindow(m_hWnd); }

private:
    HWND m_hWnd;
};

TEST(InstanceGuard, TheThreeStates) {
    COrvikMutex first(L"Global\\QuenlathTestGuard");
    EXPECT_TRUE(first.Acquire());
    EXPECT_EQ(first.GetState(), COrvikMutex::PREV_INSTANCE_NONE);

    COrvikMutex noWindow(L"Global\\QuenlathTestGuard");
    EXPECT_FALSE(noWindow.Acquire());
    EXPECT_EQ(noWindow.GetState(), COrvikMutex::PREV_INSTANCE_ELSEWHERE);
    {
        CFakeDialog withoutButton(false);
        COrvikMutex second(L"Global\\QuenlathTestGuard");
        EXPECT_FALSE(second.Acquire());
        EXPECT_EQ(second.GetState(), COrvikMutex::PREV_INSTANCE_ELSEWHERE);
    }
    CFakeDialog dialog(true);
    COrvikMutex visible(L"Global\\QuenlathTestGuard");
    EXPECT_FALSE(visible.Acquire());
    EXPECT_EQ(visible.GetState(), COrvikMutex::PREV_INSTANCE_VISIBLE);
}

TEST(InstanceGuard, ANameTakenByAnotherKindOfObject) {
    HANDLE event = CreateEventW(nullptr, FALSE, FALSE, L"Global\\QuenlathTestEvent");
    COrvikMutex guard(L"Global\\QuenlathTestEvent");
    EXPECT_FALSE(guard.Acquire());
    EXPECT_EQ(guard.GetState(), COrvikMutex::PREV_INSTANCE_ELSEWHERE);
    CloseHandle(event);
}

// QUENLATH_EXPECT_ADMIN=0 is how the restricted run below asks for the other answer.
TEST(Administrator, TheTokensMembership) {
    const char* expected = std::getenv("QUENLATH_EXPECT_ADMIN");
    bool bExpected = expected == nullptr || std::string(expected) != "0";
    EXPECT_EQ(CAuthority().IsAdministrator() != FALSE, bExpected);
}

// Runs this program's administrator test again with the Administrators group disabled.
TEST(Administrator, ARestrictedTokenIsNoAdministrator) {
    HANDLE token = nullptr;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_ALL_ACCESS, &token));
    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    PSID administrators = nullptr;
    AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS,
                             0, 0, 0, 0, 0, 0, &administrators);
    SID_AND_ATTRIBUTES disabled = {administrators, 0};
    HANDLE restricted = nullptr;
    ASSERT_TRUE(CreateRestrictedToken(token, 0, 1, &disabled, 0, nullptr, 0, nullptr, &restricted));
    FreeSid(administrators);
    CloseHandle(token);

    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring commandLine =
        L"\"" + std::wstring(self) + L"\" --gtest_filter=Administrator.TheTokensMembership";
    SetEnvironmentVariableW(L"QUENLATH_EXPECT_ADMIN", L"0");
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    BOOL started = CreateProcessAsUserW(restricted, nullptr, &commandLine[0], nullptr, nullptr,
                                        FALSE, 0, nullptr, nullptr, &startup, &process);
    SetEnvironmentVariableW(L"QUENLATH_EXPECT_ADMIN", nullptr);
    CloseHandle(restricted);
    ASSERT_TRUE(started);
    WaitForSingleObject(process.hProcess, 60000);
    DWORD exitCode = 0xdeadbeef;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    EXPECT_EQ(exitCode, 0u) << "the restricted run did not see a non-administrator";
}

TEST(DriveLetters, FreeAndTaken) {
    EXPECT_FALSE(IsDriveLetterFree(u"C:"));
    EXPECT_FALSE(IsDriveLetterFree(u"Z:"));
    EXPECT_TRUE(IsDriveLetterFree(u"Q:"));
    ASSERT_TRUE(DefineDosDeviceW(0, L"Q:", L"C:\\windows"));
    EXPECT_FALSE(IsDriveLetterFree(u"Q:")) << "a substituted drive";
    DefineDosDeviceW(DDD_REMOVE_DEFINITION, L"Q:", nullptr);
    EXPECT_TRUE(IsDriveLetterFree(u"Q:"));
}

} // namespace
