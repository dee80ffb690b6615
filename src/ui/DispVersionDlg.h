#pragma once
// CDispVersionDlg: the About box. Its version label shows the installed version the
// registry records, or else the template's own text.

#include "ui/framework/Dialog.h"

#include <string>

class CDispVersionDlg : public CDialog {
public:
    explicit CDispVersionDlg(CWnd* pParent = nullptr);
    ~CDispVersionDlg() override;

    // On success m_strVersion holds the registry text; on failure it is left as it was.
    BOOL ReadInstalledVersion();

    std::u16string m_strVersion;

protected:
    // Exchanges the version label only when an installed version was read.
    void DoDataExchange(CDataExchange* pDX) override;
};
