#include "ui/framework/Dialog.h"

#include "ui/framework/PlacementRules.h"
#include "ui/framework/WinApp.h"

namespace {

CBox BoxOf(const RECT& rect) {
    return {rect.left, rect.top, rect.right, rect.bottom};
}

CBox WindowBox(HWND hWnd) {
    RECT rect = {};
    GetWindowRect(hWnd, &rect);
    return BoxOf(rect);
}

CBox WorkArea(HMONITOR hMonitor) {
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    GetMonitorInfoW(hMonitor, &info);
    return BoxOf(info.rcWork);
}

// The monitor of the application's main window, or the primary monitor without one.
HMONITOR MainMonitor() {
    CWinApp* pApp = CWinApp::Current();
    if (pApp != nullptr && pApp->m_pMainWnd != nullptr && pApp->m_pMainWnd->m_hWnd != nullptr) {
        return MonitorFromWindow(pApp->m_pMainWnd->m_hWnd, MONITOR_DEFAULTTOPRIMARY);
    }
    return MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
}

} // namespace

CDialog::CDialog(UINT nIDTemplate, HWND hParent) : m_nIDTemplate(nIDTemplate), m_hParent(hParent) {}

CDialog::~CDialog() = default;

// The template is read here, in the resource language the dialog manager would pick, so
// that its placement is known; resources need no freeing.
INT_PTR CDialog::DoModal() {
    HINSTANCE hInstance = ResourceInstance();
    HRSRC hResource = FindResourceW(hInstance, MAKEINTRESOURCEW(m_nIDTemplate), RT_DIALOG);
    HGLOBAL hLoaded = hResource != nullptr ? LoadResource(hInstance, hResource) : nullptr;
    const void* pTemplate = hLoaded != nullptr ? LockResource(hLoaded) : nullptr;
    if (pTemplate == nullptr) {
        return -1;
    }
    m_bPlacedByFramework = IsPlacedByFramework(static_cast<const uint8_t*>(pTemplate),
                                               SizeofResource(hInstance, hResource));
    HWND hOwner = m_hParent;
    CWinApp* pApp = CWinApp::Current();
    if (hOwner == nullptr && pApp != nullptr && pApp->m_pMainWnd != nullptr) {
        hOwner = pApp->m_pMainWnd->m_hWnd;
    }
    INT_PTR result =
        DialogBoxIndirectParamW(hInstance, static_cast<LPCDLGTEMPLATEW>(pTemplate), hOwner,
                                &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
    m_hWnd = nullptr;
    return result;
}

void CDialog::CentreWindow() const {
    HWND hOwner = GetWindow(m_hWnd, GW_OWNER);
    CBox over = {};
    CBox workArea = {};
    if (hOwner != nullptr && IsWindowVisible(hOwner) && !IsIconic(hOwner)) {
        over = WindowBox(hOwner);
        workArea = WorkArea(MonitorFromWindow(hOwner, MONITOR_DEFAULTTONEAREST));
    } else {
        workArea = WorkArea(MainMonitor());
        over = workArea;
    }
    CBox box = CentredBox(WindowBox(m_hWnd), over, workArea);
    SetWindowPos(m_hWnd, nullptr, box.left, box.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The dialog manager shows a dialog only after WM_INITDIALOG, so a visible one was shown
// by OnInitDialog.
BOOL CDialog::InitAndPlace() {
    CBox before = WindowBox(m_hWnd);
    BOOL bResult = OnInitDialog();
    CBox after = WindowBox(m_hWnd);
    if (m_bPlacedByFramework && !IsWindowVisible(m_hWnd) && after.left == before.left &&
        after.top == before.top) {
        CentreWindow();
    }
    return bResult;
}

bool CDialog::OnMessage(UINT message, WPARAM wParam, LPARAM, INT_PTR& result) {
    switch (message) {
    case WM_INITDIALOG:
        result = InitAndPlace();
        return true;
    case WM_COMMAND:
        if (HIWORD(wParam) != BN_CLICKED) {
            return false;
        }
        if (LOWORD(wParam) == IDOK) {
            OnOK();
            return true;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            OnCancel();
            return true;
        }
        return false;
    default:
        return false;
    }
}

// Messages that arrive before WM_INITDIALOG find no object and go to the dialog manager.
INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(hWnd, DWLP_USER, lParam);
        reinterpret_cast<CDialog*>(lParam)->m_hWnd = hWnd;
    }
    auto* pDialog = reinterpret_cast<CDialog*>(GetWindowLongPtrW(hWnd, DWLP_USER));
    INT_PTR result = TRUE;
    if (pDialog == nullptr || !pDialog->OnMessage(message, wParam, lParam, result)) {
        return FALSE;
    }
    return result;
}
