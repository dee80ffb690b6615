// The version gate on the real GetVersionExW, run by win32_tests.exe with Wine set to each
// Windows in turn; QUENLATH_VERSION_CODE holds the classification expected. This program's
// manifest declares Windows 10 supported, so Windows 10 tells it 10.0, newer than the
// table knows (Morvessa.exe declares no system: Windows 10 and 11 tell it 6.2).

#include "../WineMachine.h"

#include "app/WinVersion.h"

#include <gtest/gtest.h>

using namespace wine_machine;

namespace {

// The gate's question, answered with that button as soon as it shows, as a user would.
WORD g_wAnswer = 0;
bool g_bAsked = false;

LRESULT CALLBACK AnswerTheQuestion(int nCode, WPARAM wParam, LPARAM lParam) {
    if (nCode == HCBT_ACTIVATE) {
        g_bAsked = true;
        PostMessageW(reinterpret_cast<HWND>(wParam), WM_COMMAND, g_wAnswer, 0);
    }
    return CallNextHookEx(nullptr, nCode, wParam, lParam);
}

BOOL Gate(const CWinVersion& version, WORD wAnswer, bool bAsked) {
    g_wAnswer = wAnswer;
    g_bAsked = false;
    HHOOK hHook = SetWindowsHookExW(WH_CBT, &AnswerTheQuestion, nullptr, GetCurrentThreadId());
    BOOL bGoOn = version.CheckFutureOSWarning(nullptr, L"Go on?", L"VersionGate");
    UnhookWindowsHookEx(hHook);
    EXPECT_EQ(g_bAsked, bAsked);
    return bGoOn;
}

TEST(VersionGate, AsTheRunningWindowsReportsIt) {
    wchar_t szCode[8] = {};
    GetEnvironmentVariableW(L"QUENLATH_VERSION_CODE", szCode, 8);
    CWinVersion version;
    short nCode = version.GetVersionCode();
    ASSERT_EQ(nCode, _wtoi(szCode));
    EXPECT_EQ(version.GetArchitecture(), CWinVersion::ARCH_64BIT) << "a 64-bit prefix";
    EXPECT_EQ(version.GetProductType() != 0, nCode >= 8 && nCode != 10) << "asked from Vista on";
    bool bNewer = nCode == CWinVersion::OSVER_FUTURE;
    EXPECT_TRUE(Gate(version, IDYES, bNewer)) << "only a newer Windows asks";
    EXPECT_EQ(Gate(version, IDNO, bNewer) != FALSE, !bNewer) << "No stops start-up";
    SetDword(L"SOFTWARE\\Korvane\\Common", L"DisableFutureOSWarning", 1, View::Bits64);
    EXPECT_TRUE(Gate(version, IDNO, false)) << "the machine-wide switch suppresses it";
    DeleteTree(L"SOFTWARE\\Korvane", View::Bits64);
}

} // namespace
