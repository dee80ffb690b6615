#pragma once
// CDispMessageDlg: the reassignment notice, with its opt-out check box. Its OK stores
// the opt-out as HideMsg; Escape stores nothing.

#include "ui/framework/Dialog.h"

class CDispMessageDlg : public CDialog {
public:
    explicit CDispMessageDlg(HWND hParent = nullptr);
    ~CDispMessageDlg() override;

protected:
    void OnOK() override;
};
