#include "app/SelkaroApp.h"

#include "app/Authority.h"
#include "app/WinVersion.h"
#include "locator/CDAccess.h"
#include "platform/Platform.h"
#include "res/resource.h"
#include "ui/SelkaroDlg.h"
#include "ui/framework/Resources.h"

std::unique_ptr<COrvikMutex> g_pInstanceGuard;

namespace {

constexpr UINT kPlainStyle = MB_OK;
constexpr UINT kWarningStyle = MB_OK | MB_ICONWARNING | MB_TOPMOST;

void ShowStartupMessage(UINT nTextId, UINT nStyle) {
    std::u16string strText = LoadString(nTextId);
    std::u16string strCaption = LoadString(IDS_APP_TITLE);
    platform().MessageBoxW(nullptr, strText.c_str(), strCaption.c_str(), nStyle);
}

// The running copy's dialog is the first top-level window titled with the product title.
void ActivateRunningCopy() {
    std::u16string strTitle = LoadString(IDS_APP_TITLE);
    HWND hWnd = platform().FindWindowW(nullptr, strTitle.c_str());
    if (hWnd == nullptr) {
        return;
    }
    if (platform().IsIconic(hWnd)) {
        platform().ShowWindow(hWnd, SW_RESTORE);
    }
    platform().SetForegroundWindow(hWnd);
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
    std::u16string strText = LoadString(IDS_UNSUPPORTED_OS);
    std::u16string strCaption = LoadString(IDS_TOOL_NAME);
    return version.CheckFutureOSWarning(nullptr, strText.c_str(), strCaption.c_str()) != FALSE;
}

// The "Global\" namespace makes the name one for all logon sessions.
bool CSelkaroApp::PassesInstanceGate() {
    std::u16string strName = u"Global\\" + LoadString(IDS_TOOL_NAME);
    g_pInstanceGuard = std::make_unique<COrvikMutex>(strName.c_str());
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
    ShowStartupMessage(IDS_DRIVE_OFF, kWarningStyle);
    return false;
}

void CSelkaroApp::RunMainDialog() {
    CSelkaroDlg dlg(nullptr);
    m_pMainWnd = &dlg;
    dlg.DoModal();
    // The dialog object ends here; the application keeps no pointer to it.
    m_pMainWnd = nullptr;
}
