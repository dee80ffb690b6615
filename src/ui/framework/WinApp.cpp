#include "ui/framework/WinApp.h"

#include "platform/Platform.h"

namespace {
CWinApp* g_pCurrentApp = nullptr;
}

CWinApp::CWinApp() {
    g_pCurrentApp = this;
}

CWinApp::~CWinApp() {
    if (g_pCurrentApp == this) {
        g_pCurrentApp = nullptr;
    }
}

BOOL CWinApp::InitInstance() {
    return FALSE;
}

int CWinApp::ExitInstance() {
    return 0;
}

int CWinApp::Run(HINSTANCE hInstance) {
    // Without one, the resources are the process's own module's, as WinMain's would be.
    m_hInstance = hInstance != nullptr ? hInstance : platform().GetModuleHandleW(nullptr);
    // A dialog-based program has no message loop: InitInstance runs the dialog and the
    // process ends after it, whatever InitInstance answers.
    InitInstance();
    return ExitInstance();
}

CWinApp* CWinApp::Current() {
    return g_pCurrentApp;
}

HINSTANCE ResourceInstance() {
    CWinApp* pApp = CWinApp::Current();
    return pApp != nullptr ? pApp->m_hInstance : nullptr;
}
