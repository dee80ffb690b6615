#include "ui/framework/WinApp.h"

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

int CWinApp::Run(HINSTANCE hInstance) {
    m_hInstance = hInstance;
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
    if (pApp != nullptr && pApp->m_hInstance != nullptr) {
        return pApp->m_hInstance;
    }
    return GetModuleHandleW(nullptr);
}

CResourceString::CResourceString(UINT nID) : m_szText{} {
    LoadStringW(ResourceInstance(), nID, m_szText, ARRAYSIZE(m_szText));
}
