#pragma once
// A modal dialog from a resource template. The dialog procedure finds the object through
// the window and hands every message to OnMessage, one switch that the dialogs extend.

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

    UINT m_nIDTemplate;
    HWND m_hParent;
};
