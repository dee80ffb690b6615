#pragma once
// A modal dialog from a resource template. The dialog procedure finds the object through
// the window and hands every message to OnMessage, one switch that the dialogs extend.
// A template at 0,0 without DS_CENTER, DS_CENTERMOUSE or DS_ABSALIGN leaves the place to
// the framework: after OnInitDialog, unless that moved or showed it, the dialog is centred
// over its owner or, without a visible owner, in a work area (see CentreWindow).

#include <windows.h>

class CDialog {
public:
    // A dialog without a parent is owned by the application's main dialog, if one runs.
    explicit CDialog(UINT nIDTemplate, HWND hParent = nullptr);
    virtual ~CDialog();
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // Runs the dialog until EndDialog; -1 when it could not be created.
    INT_PTR DoModal();

    // Centres the dialog over its owner when that is visible and not minimised, kept inside
    // the owner's monitor's work area; otherwise in the work area of the monitor of the
    // application's main window, or of the primary monitor when there is none.
    void CentreWindow() const;

    HWND m_hWnd = nullptr;

protected:
    // TRUE: the dialog manager puts the focus on the first tab stop.
    virtual BOOL OnInitDialog() { return TRUE; }
    virtual void OnOK() { EndDialog(IDOK); }
    // Escape and the close box come here too.
    virtual void OnCancel() { EndDialog(IDCANCEL); }
    // True when the message was handled, with the dialog procedure's answer in result;
    // false leaves it to the dialog manager.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result);

    void EndDialog(INT_PTR nResult) const { ::EndDialog(m_hWnd, nResult); }

private:
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    // OnInitDialog, then the framework's placement; OnInitDialog's answer.
    BOOL InitAndPlace();

    UINT m_nIDTemplate;
    HWND m_hParent;
    // The template leaves the dialog's place to the framework.
    bool m_bPlacedByFramework = false;
};
