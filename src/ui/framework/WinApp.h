#pragma once
// The application object and the application's resources. The framework calls
// InitInstance once at start; there is no message loop of the application's own, so the
// run always ends with ExitInstance.

#include <windows.h>

class CDialog;

class CWinApp {
public:
    // Registers this object as the process's application (see Current()).
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    virtual BOOL InitInstance() { return FALSE; }
    virtual int ExitInstance() { return 0; }

    // InitInstance, then ExitInstance, whose result is the process's exit code.
    int Run(HINSTANCE hInstance);

    static CWinApp* Current();

    // The main dialog while it runs; dialogs without a parent are owned by it.
    CDialog* m_pMainWnd = nullptr;
    HINSTANCE m_hInstance = nullptr;
};

// The module whose resources the program loads: the application's, or else the
// process's own.
HINSTANCE ResourceInstance();

// A string-table entry in the user-interface language, English when that has none.
class CResourceString {
public:
    explicit CResourceString(UINT nID);
    operator const wchar_t*() const { return m_szText; }

private:
    // Longer than any of the program's texts.
    wchar_t m_szText[512];
};
