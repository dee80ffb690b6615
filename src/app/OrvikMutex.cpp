#include "app/OrvikMutex.h"

#include "platform/Platform.h"
#include "res/resource.h"
#include "ui/framework/Resources.h"

COrvikMutex::COrvikMutex(const wchar16* pszName) : m_strName(pszName) {}

COrvikMutex::~COrvikMutex() = default;

bool COrvikMutex::Acquire() {
    m_hMutex.Attach(platform().CreateMutexW(nullptr, FALSE, m_strName.c_str()));
    if (!m_hMutex.IsValid()) {
        m_nState = PREV_INSTANCE_ELSEWHERE;
        return false;
    }
    if (platform().GetLastError() != ERROR_ALREADY_EXISTS) {
        return true;
    }
    m_nState = DetectPreviousInstance();
    return false;
}

// The running copy's dialog is the top-level window titled with the product title that
// has a push button; window searches do not reach other sessions' desktops.
int COrvikMutex::DetectPreviousInstance() const {
    std::u16string strTitle = LoadString(IDS_APP_TITLE);
    HWND hWnd = platform().FindWindowW(nullptr, strTitle.c_str());
    if (hWnd == nullptr) {
        return PREV_INSTANCE_ELSEWHERE;
    }
    HWND hButton = platform().FindWindowExW(hWnd, nullptr, u"Button", nullptr);
    return hButton != nullptr ? PREV_INSTANCE_VISIBLE : PREV_INSTANCE_ELSEWHERE;
}
