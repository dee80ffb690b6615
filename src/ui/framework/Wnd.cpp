#include "ui/framework/Wnd.h"

#include "platform/Platform.h"

#include <vector>

BOOL CMenu::InsertMenu(UINT nPosition, UINT nFlags, UINT_PTR nIDNewItem,
                       const wchar16* pszNewItem) {
    return platform().InsertMenuW(m_hMenu, nPosition, nFlags, nIDNewItem, pszNewItem);
}

BOOL CMenu::DestroyMenu() {
    if (m_hMenu == nullptr) {
        return FALSE;
    }
    BOOL bDestroyed = platform().DestroyMenu(m_hMenu);
    m_hMenu = nullptr;
    return bDestroyed;
}

CWnd::~CWnd() = default;

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
    return platform().SendMessageW(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::EnableWindow(BOOL bEnable) const {
    return platform().EnableWindow(m_hWnd, bEnable);
}

std::u16string CWnd::GetWindowText() const {
    int length = platform().GetWindowTextLengthW(m_hWnd);
    if (length <= 0) {
        return std::u16string();
    }
    std::vector<wchar16> buffer(static_cast<size_t>(length) + 1, 0);
    int copied = platform().GetWindowTextW(m_hWnd, buffer.data(), length + 1);
    return std::u16string(buffer.data(), copied > 0 ? static_cast<size_t>(copied) : 0);
}

BOOL CWnd::SetWindowText(const wchar16* pszText) const {
    return platform().SetWindowTextW(m_hWnd, pszText);
}

BOOL CWnd::IsIconic() const {
    return platform().IsIconic(m_hWnd);
}

BOOL CWnd::GetClientRect(RECT* pRect) const {
    return platform().GetClientRect(m_hWnd, pRect);
}

CWnd* CWnd::GetDlgItem(int nID) {
    HWND hChild = platform().GetDlgItem(m_hWnd, nID);
    if (hChild == nullptr) {
        return nullptr;
    }
    std::unique_ptr<CWnd>& pChild = m_children[nID];
    if (!pChild) {
        pChild = std::make_unique<CWnd>(hChild);
    }
    pChild->m_hWnd = hChild;
    return pChild.get();
}

CMenu* CWnd::GetSystemMenu(BOOL bRevert) {
    HMENU hMenu = platform().GetSystemMenu(m_hWnd, bRevert);
    if (hMenu == nullptr) {
        return nullptr;
    }
    if (!m_pSystemMenu) {
        m_pSystemMenu = std::make_unique<CMenu>();
    }
    m_pSystemMenu->m_hMenu = hMenu;
    return m_pSystemMenu.get();
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (OnWndMsg(message, wParam, lParam, &result)) {
        return result;
    }
    return Default();
}

LRESULT CWnd::Default() {
    m_bDefaultRequested = true;
    return 0;
}

bool CWnd::BeginMessage() {
    bool bOuter = m_bDefaultRequested;
    m_bDefaultRequested = false;
    return bOuter;
}

bool CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    (void)lParam;
    switch (message) {
    case WM_COMMAND:
        if (!OnCommand(LOWORD(wParam), HIWORD(wParam))) {
            return false;
        }
        *pResult = 0;
        return true;
    case WM_PAINT:
        OnPaint();
        return true;
    case WM_QUERYDRAGICON:
        *pResult = reinterpret_cast<LRESULT>(OnQueryDragIcon());
        return true;
    case WM_CREATE:
        *pResult = OnCreate();
        return true;
    case WM_DESTROY:
        OnDestroy();
        return true;
    default:
        return false;
    }
}

BOOL CWnd::OnCommand(UINT nID, UINT nCode) {
    (void)nID;
    (void)nCode;
    return FALSE;
}

void CWnd::OnPaint() {
    Default();
}

HICON CWnd::OnQueryDragIcon() {
    Default();
    return nullptr;
}

int CWnd::OnCreate() {
    return static_cast<int>(Default());
}

void CWnd::OnDestroy() {
    Default();
}

void CWnd::DetachWindows() {
    m_hWnd = nullptr;
    for (auto& child : m_children) {
        child.second->m_hWnd = nullptr;
    }
    if (m_pSystemMenu) {
        m_pSystemMenu->m_hMenu = nullptr;
    }
}
