#pragma once
// A thin wrapper over a window handle, and the routing of window messages to virtual
// handlers (in place of a table-based message map).

#include "platform/WinTypes.h"

#include <map>
#include <memory>
#include <string>

// A menu handle the window hands out; destroying it is the caller's decision.
class CMenu {
public:
    explicit CMenu(HMENU hMenu = nullptr) : m_hMenu(hMenu) {}

    BOOL InsertMenu(UINT nPosition, UINT nFlags, UINT_PTR nIDNewItem, const wchar16* pszNewItem);
    BOOL DestroyMenu();

    HMENU m_hMenu;
};

class CWnd {
public:
    CWnd() = default;
    explicit CWnd(HWND hWnd) : m_hWnd(hWnd) {}
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    BOOL EnableWindow(BOOL bEnable = TRUE) const;
    std::u16string GetWindowText() const;
    BOOL SetWindowText(const wchar16* pszText) const;
    BOOL IsIconic() const;
    BOOL GetClientRect(RECT* pRect) const;

    // A wrapper of the child control, owned by this window; null when there is no such child.
    CWnd* GetDlgItem(int nID);
    // A wrapper of the window's system menu, owned by this window; null when it has none.
    CMenu* GetSystemMenu(BOOL bRevert);

    // Routes a message to the handlers below; what no handler takes gets Default().
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_hWnd = nullptr;

protected:
    // Asks for the dialog manager's own processing of the message being handled. A dialog
    // procedure can only ask for it through its return value, so the processing happens
    // after the handler returns.
    LRESULT Default();
    bool DefaultRequested() const { return m_bDefaultRequested; }
    // Starts a message with no request for default processing and returns the previous
    // state, which EndMessage restores (messages nest when a handler sends one).
    bool BeginMessage();
    void EndMessage(bool bOuterDefaultRequested) { m_bDefaultRequested = bOuterDefaultRequested; }

    // Returns whether the message was handled, its result in *pResult.
    virtual bool OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);

    // A WM_COMMAND: returns whether it was handled.
    virtual BOOL OnCommand(UINT nID, UINT nCode);
    virtual void OnPaint();
    virtual HICON OnQueryDragIcon();
    virtual int OnCreate();
    virtual void OnDestroy();

    // Forgets the window: the wrappers handed out no longer refer to any window.
    void DetachWindows();

private:
    std::map<int, std::unique_ptr<CWnd>> m_children;
    std::unique_ptr<CMenu> m_pSystemMenu;
    bool m_bDefaultRequested = false;
};
