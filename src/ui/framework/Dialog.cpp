#include "ui/framework/Dialog.h"

#include "ui/framework/WinApp.h"

CDialog::CDialog(UINT nIDTemplate, HWND hParent) : m_nIDTemplate(nIDTemplate), m_hParent(hParent) {}

CDialog::~CDialog() = default;

INT_PTR CDialog::DoModal() {
    HWND hOwner = m_hParent;
    CWinApp* pApp = CWinApp::Current();
    if (hOwner == nullptr && pApp != nullptr && pApp->m_pMainWnd != nullptr) {
        hOwner = pApp->m_pMainWnd->m_hWnd;
    }
    INT_PTR result = DialogBoxParamW(ResourceInstance(), MAKEINTRESOURCEW(m_nIDTemplate), hOwner,
                                     &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
    m_hWnd = nullptr;
    return result;
}

bool CDialog::OnMessage(UINT message, WPARAM wParam, LPARAM, INT_PTR& result) {
    switch (message) {
    case WM_INITDIALOG:
        result = OnInitDialog();
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
