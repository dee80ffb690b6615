#include "ui/DispMessageDlg.h"

#include "registry/Reg.h"
#include "res/resource.h"

CDispMessageDlg::CDispMessageDlg(HWND hParent) : CDialog(IDD_NOTICE, hParent) {}

CDispMessageDlg::~CDispMessageDlg() = default;

// A failed write is silent: the notice then keeps appearing.
void CDispMessageDlg::OnOK() {
    DWORD dwChecked = IsDlgButtonChecked(m_hWnd, IDC_DONT_SHOW) == BST_CHECKED ? 1 : 0;
    CReg reg;
    reg.WriteDword(HKEY_LOCAL_MACHINE, u"Software\\Korvane\\Morvessa", u"HideMsg", dwChecked);
    CDialog::OnOK();
}
