#include "ui/framework/Dialog.h"

#include "platform/Platform.h"
#include "ui/framework/Resources.h"
#include "ui/framework/WinApp.h"

#include <map>

namespace {

// The dialog objects whose windows are up, so that the procedure finds the object.
std::map<HWND, CDialog*>& DialogsByWindow() {
    static std::map<HWND, CDialog*> dialogs;
    return dialogs;
}

CDialog* FindDialog(HWND hWnd) {
    auto found = DialogsByWindow().find(hWnd);
    return found != DialogsByWindow().end() ? found->second : nullptr;
}

} // namespace

void DDX_Text(CDataExchange* pDX, int nIDC, std::u16string& value) {
    CWnd* pControl = pDX->m_pDlgWnd->GetDlgItem(nIDC);
    if (pControl == nullptr) {
        return;
    }
    if (pDX->m_bSaveAndValidate) {
        value = pControl->GetWindowText();
    } else {
        pControl->SetWindowText(value.c_str());
    }
}

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd) {}

CDialog::~CDialog() {
    if (m_hWnd != nullptr) {
        DialogsByWindow().erase(m_hWnd);
    }
}

INT_PTR CDialog::DoModal() {
    INT_PTR result = platform().DialogBoxParamW(ResourceInstance(), MakeIntResource(m_nIDTemplate),
                                                OwnerWindow(), &CDialog::DialogProc,
                                                reinterpret_cast<LPARAM>(this));
    if (m_hWnd != nullptr) {
        DialogsByWindow().erase(m_hWnd);
    }
    DetachWindows();
    return result;
}

HWND CDialog::OwnerWindow() const {
    if (m_pParentWnd != nullptr) {
        return m_pParentWnd->m_hWnd;
    }
    CWinApp* pApp = CWinApp::Current();
    if (pApp != nullptr && pApp->m_pMainWnd != nullptr) {
        return pApp->m_pMainWnd->m_hWnd;
    }
    return nullptr;
}

BOOL CDialog::EndDialog(int nResult) const {
    return platform().EndDialog(m_hWnd, nResult);
}

BOOL CDialog::UpdateData(BOOL bSaveAndValidate) {
    CDataExchange exchange(this, bSaveAndValidate);
    DoDataExchange(&exchange);
    return TRUE;
}

HICON CDialog::SetIcon(HICON hIcon, BOOL bBigIcon) const {
    return reinterpret_cast<HICON>(
        SendMessage(WM_SETICON, bBigIcon ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(hIcon)));
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    if (!UpdateData(TRUE)) {
        return;
    }
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

void CDialog::DoDataExchange(CDataExchange* pDX) {
    (void)pDX;
}

bool CDialog::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    if (message == WM_INITDIALOG) {
        *pResult = OnInitDialog();
        return true;
    }
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        // Escape and the close box reach the dialog as IDCANCEL too.
        if (LOWORD(wParam) == IDOK) {
            OnOK();
            return true;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            OnCancel();
            return true;
        }
    }
    return CWnd::OnWndMsg(message, wParam, lParam, pResult);
}

INT_PTR CDialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    bool bOuterDefaultRequested = BeginMessage();
    LRESULT result = WindowProc(message, wParam, lParam);
    bool bDefault = DefaultRequested();
    EndMessage(bOuterDefaultRequested);
    if (bDefault) {
        return FALSE;
    }
    // These two answer with their result; for the others TRUE means "processed".
    if (message == WM_INITDIALOG || message == WM_QUERYDRAGICON) {
        return result;
    }
    return TRUE;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CDialog* pDialog = nullptr;
    if (message == WM_INITDIALOG) {
        pDialog = reinterpret_cast<CDialog*>(lParam);
        pDialog->m_hWnd = hWnd;
        DialogsByWindow()[hWnd] = pDialog;
    } else {
        pDialog = FindDialog(hWnd);
    }
    if (pDialog == nullptr) {
        return FALSE;
    }
    return pDialog->Dispatch(message, wParam, lParam);
}
