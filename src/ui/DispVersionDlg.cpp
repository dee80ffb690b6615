#include "ui/DispVersionDlg.h"

#include "common/ScopedWin.h"
#include "registry/Reg.h"
#include "res/resource.h"
#include "ui/DialogRules.h"

CDispVersionDlg::CDispVersionDlg(HWND hParent) : CDialog(IDD_ABOUTBOX, hParent) {}

CDispVersionDlg::~CDispVersionDlg() = default;

BOOL CDispVersionDlg::ReadInstalledVersion() {
    wchar16 szVersion[MAX_PATH] = {};
    DWORD cbVersion = sizeof(szVersion);
    CReg reg;
    if (!reg.ReadString(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Korvane\\Morvessa", u"VERSION", szVersion,
                        &cbVersion)) {
        return FALSE;
    }
    TerminateStoredText(szVersion, MAX_PATH, cbVersion);
    StrCopy(m_strVersion, MAX_PATH, szVersion);
    return TRUE;
}

// Without an installed version the label keeps the template's text.
BOOL CDispVersionDlg::OnInitDialog() {
    if (ReadInstalledVersion()) {
        SetDlgItemTextW(m_hWnd, IDC_VERSION, AsWide(m_strVersion));
    }
    return TRUE;
}
