#include "app/SelkaroApp.h"

#include "app/Authority.h"
#include "common/ScopedWin.h"
#include "locator/CDAccess.h"
#include "res/resource.h"
#include "ui/SelkaroDlg.h"

#include <new>

std::unique_ptr<COrvikMutex> g_pInstanceGuard;

namespace {

constexpr UINT kPlainStyle = MB_OK;
constexpr UINT kWarningStyle = MB_OK | MB_ICONWARNING | MB_TOPMOST;

void ShowStartupMessage(UINT nTextId, UINT nStyle) {
    MessageBoxW(nullptr, CResourceString(nTextId), CResourceString(IDS_APP_TITLE), nStyle);
}

// The running copy's dialog is the first top-level window titled with the product title.
void ActivateRunningCopy() {
    HWND hWnd = FindWindowW(nullptr, CResourceString(IDS_APP_TITLE));
    if (hWnd == nullptr) {
        return;
    }
    if (IsIconic(hWnd)) {
        ShowWindow(hWnd, SW_RESTORE);
    }
    SetForegroundWindow(hWnd);
}

} // namespace

BOOL CSelkaroApp::InitInstance() {
    CWinVersion version;
    if (PassesVersionGate(version) && PassesInstanceGate() && PassesAdministratorGate() &&
        PassesDriveGate()) {
        RunMainDialog();
    }
    return FALSE;
}

int CSelkaroApp::ExitInstance() {
    g_pInstanceGuard.reset();
    return CWinApp::ExitInstance();
}

// Declining to run on a Windows newer than the classification knows ends start-up silently.
bool CSelkaroApp::PassesVersionGate(const CWinVersion& version) const {
    return version.CheckFutureOSWarning(nullptr, CResourceString(IDS_UNSUPPORTED_OS),
                                        CResourceString(IDS_TOOL_NAME)) != FALSE;
}

// The "Global\" namespace makes the name one for all logon sessions.
bool CSelkaroApp::PassesInstanceGate() {
    wchar16 szName[MAX_PATH];
    StrPrintf(szName, MAX_PATH, u"Global\\%s", AsText(CResourceString(IDS_TOOL_NAME)));
    g_pInstanceGuard.reset(new (std::nothrow) COrvikMutex(AsWide(szName)));
    if (g_pInstanceGuard == nullptr) {
        return false;
    }
    if (g_pInstanceGuard->Acquire()) {
        return true;
    }
    if (g_pInstanceGuard->GetState() == COrvikMutex::PREV_INSTANCE_ELSEWHERE) {
        ShowStartupMessage(IDS_OTHER_USER, kPlainStyle);
    } else {
        ActivateRunningCopy();
    }
    return false;
}

bool CSelkaroApp::PassesAdministratorGate() const {
    CAuthority authority;
    if (authority.IsAdministrator()) {
        return true;
    }
    ShowStartupMessage(IDS_NEED_ADMIN, kWarningStyle);
    return false;
}

bool CSelkaroApp::PassesDriveGate() const {
    wchar16 chLetter = 0;
    if (GetInternalDriveLetter(&chLetter)) {
        return true;
    }
    // A drive the device search finds has no letter in the mount table; one it does not
    // find is off.
    ShowStartupMessage(IsInternalDrivePresent() ? IDS_DRIVE_NO_LETTER : IDS_DRIVE_OFF,
                       kWarningStyle);
    return false;
}

void CSelkaroApp::RunMainDialog() {
    CSelkaroDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    // The dialog object ends here; the application keeps no pointer to it.
    m_pMainWnd = nullptr;
}
