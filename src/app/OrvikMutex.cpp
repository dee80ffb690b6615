#include "app/OrvikMutex.h"

#include "common/ScopedWin.h"
#include "res/resource.h"
#include "ui/framework/WinApp.h"

COrvikMutex::COrvikMutex(const wchar_t* pszName) {
    StrCopy(AsText(m_strName), MAX_PATH, AsText(pszName));
}

COrvikMutex::~COrvikMutex() {
    if (m_hMutex != nullptr) {
        ReleaseMutex(m_hMutex);
    }
}

bool COrvikMutex::Acquire() {
    m_hMutex = CreateMutexW(nullptr, FALSE, m_strName);
    if (m_hMutex == nullptr) {
        m_nState = PREV_INSTANCE_ELSEWHERE;
        return false;
    }
    if (GetLastError() != ERROR_ALREADY_EXISTS) {
        return true;
    }
    m_nState = FindPreviousInstance();
    return false;
}

// The running copy's dialog is the top-level window titled with the product title that
// has a push button; window searches do not reach other sessions' desktops.
int COrvikMutex::FindPreviousInstance() {
    CResourceString strTitle(IDS_APP_TITLE);
    HWND hWnd = FindWindowW(nullptr, strTitle);
    if (hWnd == nullptr || FindWindowExW(hWnd, nullptr, L"Button", nullptr) == nullptr) {
        return PREV_INSTANCE_ELSEWHERE;
    }
    return PREV_INSTANCE_VISIBLE;
}
