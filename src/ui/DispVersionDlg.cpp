#include "ui/DispVersionDlg.h"

#include "registry/Reg.h"
#include "res/resource.h"

#include <algorithm>

namespace {
constexpr wchar16 kProductKey[] = u"SOFTWARE\\Korvane\\Morvessa";
constexpr wchar16 kVersionValue[] = u"VERSION";
constexpr size_t kVersionChars = 260;
} // namespace

CDispVersionDlg::CDispVersionDlg(CWnd* pParent) : CDialog(IDD_ABOUTBOX, pParent) {}

CDispVersionDlg::~CDispVersionDlg() = default;

BOOL CDispVersionDlg::ReadInstalledVersion() {
    wchar16 szVersion[kVersionChars] = {};
    DWORD cbVersion = sizeof(szVersion);
    CReg reg;
    if (!reg.ReadString(HKEY_LOCAL_MACHINE, kProductKey, kVersionValue, szVersion, &cbVersion)) {
        return FALSE;
    }
    // The registry does not promise a terminating NUL: the text ends after the bytes read.
    size_t cchRead = std::min<size_t>(cbVersion / sizeof(wchar16), kVersionChars - 1);
    szVersion[cchRead] = 0;
    m_strVersion = szVersion;
    return TRUE;
}

void CDispVersionDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    if (ReadInstalledVersion()) {
        DDX_Text(pDX, IDC_VERSION, m_strVersion);
    }
}
