#include "ui/SelkaroDlg.h"

#include "common/ScopedWin.h"
#include "locator/CDAccess.h"
#include "registry/Reg.h"
#include "res/resource.h"
#include "ui/DialogRules.h"
#include "ui/DispMessageDlg.h"
#include "ui/DispVersionDlg.h"
#include "ui/NetworkDrives.h"
#include "ui/framework/WinApp.h"

#include <cstdlib>

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

// How long the dialog waits for the batch file before it tells the user it still runs.
constexpr DWORD kBatchTimeoutMs = 60000;

// The batch file's path, or false when there is none to run.
bool FindAssignBatch(wchar16 (&szPath)[MAX_PATH]) {
    wchar16 szProgramFiles[MAX_PATH] = {};
    size_t cchRequired = 0;
    bool bRead = _wgetenv_s(&cchRequired, AsWide(szProgramFiles), MAX_PATH, L"ProgramFiles") == 0;
    if (!BatchPath(bRead ? szProgramFiles : nullptr, szPath, MAX_PATH)) {
        return false;
    }
    DWORD dwAttributes = GetFileAttributesW(AsWide(szPath));
    return dwAttributes != INVALID_FILE_ATTRIBUTES &&
           (dwAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// Starts the batch file hidden through the system's own cmd.exe; null when it cannot.
HANDLE StartAssignBatch(const wchar16* pszPath, const wchar16* pszCurrent, const wchar16* pszNew) {
    wchar16 szSystem[MAX_PATH];
    UINT cchSystem = GetSystemDirectoryW(AsWide(szSystem), MAX_PATH);
    wchar16 szParameters[2 * kItemCapacity];
    wchar16 szCommandLine[3 * MAX_PATH];
    if (cchSystem == 0 || cchSystem >= MAX_PATH ||
        !BatchParameters(pszCurrent, pszNew, szParameters, ARRAYSIZE(szParameters)) ||
        !BatchCommandLine(szSystem, pszPath, szParameters, szCommandLine,
                          ARRAYSIZE(szCommandLine))) {
        return nullptr;
    }
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, AsWide(szCommandLine), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                        nullptr, nullptr, &startup, &process)) {
        return nullptr;
    }
    CloseHandle(process.hThread);
    return process.hProcess;
}

// Waits for the process while the calling thread's windows keep being served.
bool WaitPumpingMessages(HANDLE hProcess, DWORD dwTimeoutMs) {
    ULONGLONG ullDeadline = GetTickCount64() + dwTimeoutMs;
    for (;;) {
        ULONGLONG ullNow = GetTickCount64();
        DWORD dwLeft = ullNow < ullDeadline ? static_cast<DWORD>(ullDeadline - ullNow) : 0;
        DWORD dwWait = MsgWaitForMultipleObjects(1, &hProcess, FALSE, dwLeft, QS_ALLINPUT);
        if (dwWait == WAIT_OBJECT_0) {
            return true;
        }
        if (dwWait != WAIT_OBJECT_0 + 1) {
            return false;
        }
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
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

// The dialog is disabled while the batch file runs; a close from outside waits too.
void CSelkaroDlg::OnCancel() {
    if (!m_bWaiting) {
        CDialog::OnCancel();
    }
}

void CSelkaroDlg::OnOK() {
    ApplyNewLetter();
    CDialog::OnOK();
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
        unsigned nMessage = ChangeOutcomeMessage(RunAssignBatch(szCurrent, szNew));
        if (nMessage != 0) {
            ShowWarning(nMessage);
        }
    }
}

// The dialog stays up, disabled and with a wait cursor, while the batch file runs; the
// instance mutex stays held meanwhile, so no second copy can start a second change.
CChangeResult CSelkaroDlg::RunAssignBatch(const wchar16* pszCurrent, const wchar16* pszNew) {
    wchar16 szPath[MAX_PATH];
    if (!FindAssignBatch(szPath)) {
        return {CChangeResult::BatchMissing, 0};
    }
    CScopedHandle process(StartAssignBatch(szPath, pszCurrent, pszNew));
    if (process.Get() == nullptr) {
        return {CChangeResult::NotStarted, 0};
    }
    m_bWaiting = true;
    EnableWindow(m_hWnd, FALSE);
    SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    bool bEnded = WaitPumpingMessages(process.Get(), kBatchTimeoutMs);
    EnableWindow(m_hWnd, TRUE);
    m_bWaiting = false;
    DWORD dwExitCode = 0;
    if (!bEnded || !GetExitCodeProcess(process.Get(), &dwExitCode)) {
        return {CChangeResult::TimedOut, 0};
    }
    return {CChangeResult::Exited, dwExitCode};
}

void CSelkaroDlg::ShowWarning(UINT nTextId) const {
    MessageBoxW(m_hWnd, CResourceString(nTextId), CResourceString(IDS_APP_TITLE), kWarningStyle);
}

bool CSelkaroDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
    if (wParam == IDM_ABOUTBOX) {
        CDispVersionDlg about;
        about.DoModal();
    }
    switch (message) {
    case WM_SETCURSOR:
        if (!m_bWaiting) {
            return false;
        }
        SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, TRUE);
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
