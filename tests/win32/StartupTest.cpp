// Start-up's Win32 parts under Wine: the version facts, the instance guard's states and
// DOS device queries.

#include "app/OrvikMutex.h"
#include "app/WinVersion.h"
#include "ui/NetworkDrives.h"
#include "ui/SelkaroDlg.h"

#include "WineMachine.h"

#include <gtest/gtest.h>

#include <sddl.h>

#include <string>

using namespace wine_machine;

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

TEST(DriveLetters, FreeAndTaken) {
    EXPECT_FALSE(IsDriveLetterFree(u"C:"));
    EXPECT_TRUE(IsDriveLetterFree(u"Q:"));
    ASSERT_TRUE(DefineDosDeviceW(0, L"Q:", L"C:\\windows"));
    EXPECT_FALSE(IsDriveLetterFree(u"Q:")) << "a substituted drive";
    DefineDosDeviceW(DDD_REMOVE_DEFINITION, L"Q:", nullptr);
    EXPECT_TRUE(IsDriveLetterFree(u"Q:"));
}

// Network drives remembered for the next sign-in, in the hive of the session's user: under
// Wine the one running this test.
TEST(DriveLetters, ARememberedNetworkDriveHoldsItsLetter) {
    HKEY hKey = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Network\\Q", 0, nullptr, 0, KEY_READ, nullptr,
                              &hKey, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(hKey);
    EXPECT_FALSE(IsDriveLetterFree(u"Q:")) << "a key without values";
    EXPECT_TRUE(IsDriveLetterFree(u"R:"));
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Network\\Q");
    EXPECT_TRUE(IsDriveLetterFree(u"Q:"));
}

TEST(DriveLetters, TheSignedInUserIsTheSessionsUser) {
    HANDLE hToken = nullptr;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &hToken));
    BYTE abUser[256];
    DWORD cbUser = 0;
    ASSERT_TRUE(GetTokenInformation(hToken, TokenUser, abUser, sizeof(abUser), &cbUser));
    CloseHandle(hToken);
    wchar_t* pszTokenUser = nullptr;
    ASSERT_TRUE(
        ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(abUser)->User.Sid, &pszTokenUser));
    wchar16 szSid[kSidTextCapacity];
    ASSERT_TRUE(SignedInUserSid(szSid));
    EXPECT_EQ(std::wstring(reinterpret_cast<wchar_t*>(szSid)), pszTokenUser);
    LocalFree(pszTokenUser);
}

} // namespace
