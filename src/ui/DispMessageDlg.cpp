#include "ui/DispMessageDlg.h"

#include "registry/Reg.h"
#include "res/resource.h"

namespace {
constexpr wchar16 kProductKey[] = u"Software\\Korvane\\Morvessa";
constexpr wchar16 kHideMsgValue[] = u"HideMsg";
} // namespace

CDispMessageDlg::CDispMessageDlg(CWnd* pParent) : CDialog(IDD_NOTICE, pParent) {}

CDispMessageDlg::~CDispMessageDlg() = default;

// A failed write is silent: the notice then keeps appearing.
void CDispMessageDlg::OnOK() {
    CWnd* pCheckBox = GetDlgItem(IDC_DONT_SHOW);
    DWORD dwChecked = 0;
    if (pCheckBox != nullptr) {
        dwChecked = static_cast<DWORD>(pCheckBox->SendMessage(BM_GETCHECK));
    }
    CReg reg;
    reg.WriteDword(HKEY_LOCAL_MACHINE, kProductKey, kHideMsgValue, dwChecked);
    CDialog::OnOK();
}

BOOL CDispMessageDlg::OnCommand(UINT nID, UINT nCode) {
    if (nID == IDC_DONT_SHOW && nCode == BN_CLICKED) {
        return TRUE;
    }
    return CDialog::OnCommand(nID, nCode);
}
