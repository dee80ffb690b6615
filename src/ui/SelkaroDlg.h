#pragma once
// CSelkaroDlg: the main dialog. Shows the internal optical drive's letter and the free
// letters, and on OK hands the change to assign.bat.

#include "platform/WinTypes.h"
#include "ui/framework/Dialog.h"

#include <string>

// The internal drive's letter as the main dialog found it when it opened.
extern wchar16 g_chCurrentLetter;

class CSelkaroDlg : public CDialog {
public:
    explicit CSelkaroDlg(CWnd* pParent = nullptr);
    ~CSelkaroDlg() override;

    // Opens the About box for the system-menu command, then routes as every window does.
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    BOOL OnInitDialog() override;
    // The notice, the checks and the launch, then the framework's OK.
    void OnOK() override;
    void OnPaint() override;
    HICON OnQueryDragIcon() override;
    int OnCreate() override;
    void OnDestroy() override;

private:
    void FillDriveLists();
    void FillCurrentLetter();
    void FillNewLetters();
    void ApplyNewLetter();
    void ShowWarning(UINT nTextId) const;

    CWnd* m_pCurrentCombo = nullptr;
    CWnd* m_pNewCombo = nullptr;
    BOOL m_bCurrentFound = 0;
    BOOL m_bFreeFound = 0;
    HICON m_hIcon;
    CMenu* m_pSysMenu = nullptr;
};
