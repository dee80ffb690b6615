#pragma once
// CSelkaroDlg: the main dialog. Shows the internal optical drive's letter and the free
// letters, and on OK hands the change to assign.bat.

#include "common/WideString.h"
#include "ui/ChangeRules.h"
#include "ui/framework/Dialog.h"

// The internal drive's letter as the main dialog found it when it opened.
extern wchar16 g_chCurrentLetter;

// Whether the letter ("F:") names no DOS device and no network drive the signed-in user
// remembers.
bool IsDriveLetterFree(const wchar16* pszLetter);

class CSelkaroDlg : public CDialog {
public:
    explicit CSelkaroDlg(HWND hParent = nullptr);
    ~CSelkaroDlg() override;

protected:
    BOOL OnInitDialog() override;
    // The notice, the checks and the launch, then the framework's OK.
    void OnOK() override;
    void OnCancel() override;
    // Opens the About box for the system-menu command, whatever the message that carries
    // its value (unless the dialog is busy), then routes the message as every dialog does.
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

private:
    void FillDriveLists();
    void FillCurrentLetter();
    void FillNewLetters();
    void ApplyNewLetter();
    CChangeResult RunChange(const wchar16* pszCurrent, const wchar16* pszNew);
    void ShowAbout();
    void ShowWarning(UINT nTextId) const;
    bool OnPaint();
    void OnDestroy();

    // The two combo boxes and the system menu, fetched during initialisation.
    HWND m_pCurrentCombo = nullptr;
    HWND m_pNewCombo = nullptr;
    BOOL m_bCurrentFound = 0;
    BOOL m_bFreeFound = 0;
    HICON m_hIcon;
    HMENU m_pSysMenu = nullptr;
    // From OK until the dialog closes, and while the About box is open.
    bool m_bBusy = false;
    // While assign.bat runs.
    bool m_bChanging = false;
};
