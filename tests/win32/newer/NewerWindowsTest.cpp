// The version gate on a Windows newer than the program knows, on the real GetVersionExW:
// this program's manifest declares Windows 10 supported, so it is told 10.0 (Morvessa.exe
// declares no system, and Windows 10 and 11 tell it 6.2). Started by win32_tests.exe.

#include "../WineMachine.h"

#include "app/WinVersion.h"

#include <gtest/gtest.h>

using namespace wine_machine;

namespace {

// Answers the gate's question, when it comes, with that button, as the user would.
class CAnswer {
public:
    explicit CAnswer(WORD wButton)
        : m_wButton(wButton),
          m_hThread(CreateThread(nullptr, 0, &CAnswer::Watch, this, 0, nullptr)) {}
    ~CAnswer() {
        m_bStop = true;
        WaitForSingleObject(m_hThread, INFINITE);
        CloseHandle(m_hThread);
    }
    bool Asked() const { return m_bAsked; }

private:
    static DWORD WINAPI Watch(void* pAnswer) {
        auto* pThis = static_cast<CAnswer*>(pAnswer);
        while (!pThis->m_bStop) {
            HWND hBox = FindWindowW(nullptr, L"NewerWindows");
            if (hBox != nullptr && !pThis->m_bAsked) {
                pThis->m_bAsked = true;
                PostMessageW(hBox, WM_COMMAND, pThis->m_wButton, 0);
            }
            Sleep(20);
        }
        return 0;
    }

    WORD m_wButton;
    volatile bool m_bStop = false;
    volatile bool m_bAsked = false;
    HANDLE m_hThread;
};

BOOL Gate(const CWinVersion& version, WORD wAnswer, bool bAsked) {
    CAnswer answer(wAnswer);
    BOOL bGoOn = version.CheckFutureOSWarning(nullptr, L"Go on?", L"NewerWindows");
    EXPECT_EQ(answer.Asked(), bAsked);
    return bGoOn;
}

TEST(NewerWindows, TheQuestionDecidesWhetherStartUpGoesOn) {
    CWinVersion version;
    ASSERT_EQ(version.GetVersionCode(), CWinVersion::OSVER_FUTURE);
    EXPECT_TRUE(Gate(version, IDYES, true));
    EXPECT_FALSE(Gate(version, IDNO, true));
    SetDword(L"SOFTWARE\\Korvane\\Common", L"DisableFutureOSWarning", 1, View::Bits64);
    EXPECT_TRUE(Gate(version, IDNO, false)) << "the machine-wide switch suppresses it";
    DeleteTree(L"SOFTWARE\\Korvane", View::Bits64);
}

} // namespace
