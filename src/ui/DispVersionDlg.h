#pragma once
// CDispVersionDlg: the About box. Its version label shows the installed version the
// registry records, or else the template's own text.

#include "common/WideString.h"
#include "ui/framework/Dialog.h"

class CDispVersionDlg : public CDialog {
public:
    explicit CDispVersionDlg(HWND hParent = nullptr);
    ~CDispVersionDlg() override;

    // On success m_strVersion holds the registry text; on failure it is left as it was.
    BOOL ReadInstalledVersion();

    wchar16 m_strVersion[MAX_PATH] = {};

protected:
    BOOL OnInitDialog() override;
};
