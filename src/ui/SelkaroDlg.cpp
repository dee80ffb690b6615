#include "ui/SelkaroDlg.h"

#include "common/ScopedWin.h"
#include "locator/CDAccess.h"
#include "registry/Reg.h"
#include "res/resource.h"
#include "ui/AssignChange.h"
#include "ui/DialogRules.h"
#include "ui/DispMessageDlg.h"
#include "ui/DispVersionDlg.h"
#include "ui/NetworkDrives.h"
#include "ui/framework/WinApp.h"

wchar16 g_chCurrentLetter = 0;

namespace {

constexpr wchar16 kProductKey[] = u"Software\\Korvane\\Morvessa";
constexpr UINT kWarningStyle = MB_OK | MB_ICONWARNING | MB_TOPMOST;
// A list item is a letter and a colon.
constexpr int kItemCapacity = 8;

// The selected item's text; empty when nothing usable is selected.
void GetSelectedItem(HWND hCombo, wchar16 (&szItem)[kItemCapacity]) {
    szItem[0] = 0;
    LRESULT nIndex = SendMessageW(hCombo, CB_GETCURSEL, 0, 0);
    if (nIndex == CB_ERR) {
        return;
    }
    LRESULT nLength = SendMessageW(hCombo, CB_GETLBTEXTLEN, static_cast<WPARAM>(nIndex), 0);
    if (nLength > 0 && nLength < kItemCapacity) {
        SendMessageW(hCombo, CB_GETLBTEXT, static_cast<WPARAM>(nIndex),
                     reinterpret_cast<LPARAM>(szItem));
    }
}

bool IsNoticeHidden() {
    CReg reg;
    DWORD dwHideMsg = 0;
    bool bRead = reg.ReadDword(HKEY_LOCAL_MACHINE, kProductKey, u"HideMsg", &dwHideMsg) != FALSE;
    return !ShouldShowNotice(bRead, dwHideMsg);
}

} // namespace

bool IsDriveLetterFree(const wchar16* pszLetter) {
    wchar_t szTarget[MAX_PATH];
    DWORD cchTarget = QueryDosDeviceW(AsWide(pszLetter), szTarget, MAX_PATH);
    DWORD dwLastError = GetLastError();
    return IsFreeLetter(cchTarget, dwLastError, NetworkDriveKeyStatus(pszLetter[0]));
}

CSelkaroDlg::CSelkaroDlg(HWND hParent)
    : CDialog(IDD_MAIN_DIALOG, hParent),
      m_hIcon(LoadIconW(ResourceInstance(), MAKEINTRESOURCEW(IDR_MAINFRAME))) {}

CSelkaroDlg::~CSelkaroDlg() = default;

BOOL CSelkaroDlg::OnInitDialog() {
    SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    FillDriveLists();
    m_pSysMenu = GetSystemMenu(m_hWnd, FALSE);
    if (m_pSysMenu != nullptr) {
        InsertMenuW(m_pSysMenu, 1, MF_BYPOSITION | MF_STRING, IDM_ABOUTBOX,
                    CResourceString(IDS_ABOUT));
    }
    return TRUE;
}

void CSelkaroDlg::FillDriveLists() {
    m_bCurrentFound = 0;
    m_bFreeFound = 0;
    FillCurrentLetter();
    FillNewLetters();
    // Without a drive letter or a free letter there is nothing to choose.
    if (!m_bCurrentFound || !m_bFreeFound) {
        EnableWindow(m_pCurrentCombo, FALSE);
        EnableWindow(m_pNewCombo, FALSE);
    }
}

void CSelkaroDlg::FillCurrentLetter() {
    m_pCurrentCombo = GetDlgItem(m_hWnd, IDC_CURRENT_LETTER);
    SendMessageW(m_pCurrentCombo, CB_RESETCONTENT, 0, 0);
    if (GetInternalDriveLetter(&g_chCurrentLetter)) {
        const wchar16* pszLetter = LetterText(g_chCurrentLetter);
        if (pszLetter != nullptr) {
            SendMessageW(m_pCurrentCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(pszLetter));
            m_bCurrentFound = 1;
        }
    }
    SendMessageW(m_pCurrentCombo, CB_SETCURSEL, 0, 0);
}

// The letter the drive holds is defined, so it is never offered.
void CSelkaroDlg::FillNewLetters() {
    m_pNewCombo = GetDlgItem(m_hWnd, IDC_NEW_LETTER);
    SendMessageW(m_pNewCombo, CB_RESETCONTENT, 0, 0);
    uint32_t freeLetters = 0;
    for (wchar16 chLetter = u'C'; chLetter <= u'Z'; ++chLetter) {
        if (IsDriveLetterFree(LetterText(chLetter))) {
            freeLetters |= 1u << (chLetter - u'A');
        }
    }
    COfferedLetters offered = OfferedLetters(freeLetters);
    for (size_t i = 0; i < offered.nCount; ++i) {
        SendMessageW(m_pNewCombo, CB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(offered.apszLetters[i]));
    }
    m_bFreeFound = offered.nCount > 0;
    SendMessageW(m_pNewCombo, CB_SETCURSEL, 0, 0);
}

// While the dialog is busy with OK or the About box, Cancel, OK and About do nothing,
// whatever sends them: a message posted by another process arrives all the same, and
// Wine enables the dialog again when a box it owns closes.
void CSelkaroDlg::OnCancel() {
    if (!m_bBusy) {
        CDialog::OnCancel();
    }
}

void CSelkaroDlg::OnOK() {
    if (m_bBusy) {
        return;
    }
    m_bBusy = true;
    ApplyNewLetter();
    CDialog::OnOK();
}

void CSelkaroDlg::ShowAbout() {
    m_bBusy = true;
    CDispVersionDlg about;
    about.DoModal();
    m_bBusy = false;
}

void CSelkaroDlg::ApplyNewLetter() {
    if (!IsNoticeHidden()) {
        CDispMessageDlg notice;
        notice.DoModal();
    }
    COkFacts facts = {m_bCurrentFound != 0, m_bFreeFound != 0, false, 0, g_chCurrentLetter, false};
    wchar16 szCurrent[kItemCapacity];
    wchar16 szNew[kItemCapacity];
    GetSelectedItem(m_pCurrentCombo, szCurrent);
    GetSelectedItem(m_pNewCombo, szNew);
    if (facts.bCurrentFound && facts.bFreeFound) {
        facts.bDriveFoundAgain = GetInternalDriveLetter(&facts.chLetterAgain) != FALSE;
        facts.bNewLetterFree = IsDriveLetterFree(szNew);
    }
    COkAction action = DecideOk(facts);
    if (action.kind == COkAction::Warn) {
        ShowWarning(action.nStringId);
    } else if (action.kind == COkAction::Launch) {
        unsigned nMessage = ChangeOutcomeMessage(RunChange(szCurrent, szNew));
        if (nMessage != 0) {
            ShowWarning(nMessage);
        }
    }
}

// The lists and buttons stay greyed until the dialog closes; the wait cursor shows and
// the session is kept from ending while the batch file runs.
CChangeResult CSelkaroDlg::RunChange(const wchar16* pszCurrent, const wchar16* pszNew) {
    const int anControls[] = {IDOK, IDCANCEL, IDC_CURRENT_LETTER, IDC_NEW_LETTER};
    for (int nId : anControls) {
        EnableWindow(GetDlgItem(m_hWnd, nId), FALSE);
    }
    m_bChanging = true;
    SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    CChangeResult result = RunAssignChange(m_hWnd, pszCurrent, pszNew);
    m_bChanging = false;
    return result;
}

void CSelkaroDlg::ShowWarning(UINT nTextId) const {
    MessageBoxW(m_hWnd, CResourceString(nTextId), CResourceString(IDS_APP_TITLE), kWarningStyle);
}

bool CSelkaroDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
    if (wParam == IDM_ABOUTBOX && !m_bBusy) {
        ShowAbout();
    }
    switch (message) {
    case WM_SETCURSOR:
        if (!m_bChanging) {
            return false;
        }
        SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, TRUE);
        return true;
    // Windows XP then cancels the log-off or shutdown; later versions ask the user.
    case WM_QUERYENDSESSION:
        if (!m_bChanging) {
            return false;
        }
        SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, FALSE);
        return true;
    case WM_PAINT:
        return OnPaint();
    case WM_QUERYDRAGICON:
        result = reinterpret_cast<INT_PTR>(m_hIcon);
        return true;
    case WM_DESTROY:
        OnDestroy();
        return false;
    default:
        return CDialog::OnMessage(message, wParam, lParam, result);
    }
}

// Minimised, the dialog paints its icon centred in the client area; otherwise the dialog
// manager paints.
bool CSelkaroDlg::OnPaint() {
    if (!IsIconic(m_hWnd)) {
        return false;
    }
    CPaintDC dc(m_hWnd);
    SendMessageW(m_hWnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
    RECT rect = {};
    GetClientRect(m_hWnd, &rect);
    int x = (rect.right - rect.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
    int y = (rect.bottom - rect.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(dc.GetSafeHdc(), x, y, m_hIcon);
    return true;
}

void CSelkaroDlg::OnDestroy() {
    if (m_pSysMenu != nullptr) {
        DestroyMenu(m_pSysMenu);
        m_pSysMenu = nullptr;
    }
}
