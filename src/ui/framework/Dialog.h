#pragma once
// Modal dialogs from resource templates, with default OK and Cancel and data exchange
// between members and controls.

#include "ui/framework/Wnd.h"

#include <string>

class CDialog;

// The direction of one data exchange: m_bSaveAndValidate is true from controls to members.
class CDataExchange {
public:
    CDataExchange(CDialog* pDlgWnd, BOOL bSaveAndValidate)
        : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}

    BOOL m_bSaveAndValidate;
    CDialog* m_pDlgWnd;
};

// Exchanges the text of control nIDC with value; does nothing when there is no such control.
void DDX_Text(CDataExchange* pDX, int nIDC, std::u16string& value);

class CDialog : public CWnd {
public:
    // A dialog without a parent is owned by the application's main window when that has one.
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    ~CDialog() override;

    // Runs the dialog until EndDialog; -1 when it could not be created.
    INT_PTR DoModal();
    BOOL EndDialog(int nResult) const;
    // Exchanges data between members and controls: bSaveAndValidate TRUE reads the controls.
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);
    HICON SetIcon(HICON hIcon, BOOL bBigIcon) const;

protected:
    // The base versions: data to the controls and TRUE (focus on the first tab stop);
    // data from the controls and close with IDOK; close with IDCANCEL.
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    virtual void DoDataExchange(CDataExchange* pDX);

    bool OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

private:
    HWND OwnerWindow() const;
    INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;
};
