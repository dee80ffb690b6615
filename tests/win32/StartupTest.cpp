// Start-up's Win32 parts under Wine: the version facts, the instance guard and the
// letters network drives hold.

#include "app/OrvikMutex.h"
#include "ui/NetworkDrives.h"
#include "ui/SelkaroDlg.h"

#include "WineMachine.h"

#include <gtest/gtest.h>

using namespace wine_machine;

namespace {

// The version gate on the real GetVersionExW with Wine set to each Windows. Wine reads the
// setting when a process starts, so each runs in a process of its own.
TEST(WinVersionOnWine, EachWindowsAsTheGateSeesIt) {
    const wchar_t* const rows[][2] = {
        {L"winxp", L"6"},      // 5.1 SP3: OSVER_WINXP
        {L"win2003", L"10"},   // 5.2 server: OSVER_SERVER2003
        {L"vista", L"8"},      // 6.0 workstation: OSVER_VISTA
        {L"win2008r2", L"11"}, // Wine 8 reports 6.1 workstation for it: OSVER_WIN7
        {L"win7", L"12"},      // and 6.1 server for this: OSVER_SERVER2008R2
        {L"win8", L"11"},      // 6.2 workstation
        {L"win10", L"-1"},     // 10.0 to a program that declares Windows 10: OSVER_FUTURE
    };
    for (const auto& row : rows) {
        RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Wine", L"Version", REG_SZ, row[0],
                        DWORD((wcslen(row[0]) + 1) * 2));
        SetEnvironmentVariableW(L"QUENLATH_VERSION_CODE", row[1]);
        EXPECT_EQ(RunAndWait(Sibling(L"version_gate_tests.exe", L"--gtest_brief=1")), 0u) << row[0];
    }
}

// The running copy's dialog is found by its title and a button; a window with the title
// alone is some other program's. (The start-up scenarios meet the other states.)
TEST(InstanceGuard, AWindowWithTheTitleButNoButtonIsNoRunningDialog) {
    COrvikMutex first(L"Global\\QuenlathTestGuard");
    EXPECT_TRUE(first.Acquire());
    EXPECT_EQ(first.GetState(), COrvikMutex::PREV_INSTANCE_NONE);
    CFakeDialog withoutButton(false);
    COrvikMutex second(L"Global\\QuenlathTestGuard");
    EXPECT_FALSE(second.Acquire());
    EXPECT_EQ(second.GetState(), COrvikMutex::PREV_INSTANCE_ELSEWHERE);
}

TEST(InstanceGuard, ANameTakenByAnotherKindOfObject) {
    HANDLE event = CreateEventW(nullptr, FALSE, FALSE, L"Global\\QuenlathTestEvent");
    COrvikMutex guard(L"Global\\QuenlathTestEvent");
    EXPECT_FALSE(guard.Acquire());
    EXPECT_EQ(guard.GetState(), COrvikMutex::PREV_INSTANCE_ELSEWHERE);
    CloseHandle(event);
}

// A network drive remembered for the next sign-in in the hive of the session's user (under
// Wine the one running this test) holds its letter; DOS devices are shown end to end.
TEST(DriveLetters, ARememberedNetworkDriveHoldsItsLetter) {
    HKEY hKey = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Network\\Q", 0, nullptr, 0, KEY_READ, nullptr,
                              &hKey, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(hKey);
    EXPECT_FALSE(IsDriveLetterFree(u"Q:")) << "a remembered network drive, a key without values";
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Network\\Q");
    EXPECT_TRUE(IsDriveLetterFree(u"Q:"));
}

// The session's user's own hive is found, not the fallback: under Wine the user running
// this test.
TEST(DriveLetters, TheSignedInUsersHiveIsFound) {
    CScopedRegKey hive;
    EXPECT_NE(OpenSignedInUserHive(hive), HKEY_CURRENT_USER);
}

} // namespace
