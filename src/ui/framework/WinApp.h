#pragma once
// The application object: the framework calls InitInstance once at start; there is no
// message loop of the application's own, so the run always ends with ExitInstance.

#include "platform/WinTypes.h"

class CWnd;

class CWinApp {
public:
    // Registers this object as the process's application (see Current()). Touches no
    // platform call: the application object is constructed before the platform is installed.
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    virtual BOOL InitInstance();
    virtual int ExitInstance();

    // The entry point WinMain and the tests call: InitInstance, then ExitInstance, whose
    // result is the process's exit code. A null instance means the process's own module.
    int Run(HINSTANCE hInstance = nullptr);

    // The application object of the process, or null when none exists.
    static CWinApp* Current();

    CWnd* m_pMainWnd = nullptr;
    HINSTANCE m_hInstance = nullptr;
};

// The module whose resources the framework loads: the application's instance.
HINSTANCE ResourceInstance();
