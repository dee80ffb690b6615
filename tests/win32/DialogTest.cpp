// Where the dialog framework puts a dialog whose template leaves its place open (the
// notice's), once the dialog manager has made and initialised it.

#include "WineMachine.h"

#include "res/resource.h"
#include "ui/framework/Dialog.h"

#include <gtest/gtest.h>

using namespace wine_machine;

namespace {

// The notice, owned by hOwner and run with that initialisation, notes where it stands
// when it first waits for input, and closes.
class CPlacedDialog : public CDialog {
public:
    CPlacedDialog(HWND hOwner, void (*pInit)(HWND)) : CDialog(IDD_NOTICE, hOwner), m_pInit(pInit) {
        DoModal();
    }
    RECT m_rect = {};

protected:
    BOOL OnInitDialog() override {
        m_pInit(m_hWnd);
        PostMessageW(m_hWnd, WM_COMMAND, IDCANCEL, 0);
        return TRUE;
    }
    void OnCancel() override {
        GetWindowRect(m_hWnd, &m_rect);
        CDialog::OnCancel();
    }

private:
    void (*m_pInit)(HWND);
};

// Where a dialog owned by a popup window at 200,150, 400 by 300 pixels, shown that way, stands.
RECT PlacedOverOwner(int nShow) {
    HWND hOwner = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP, 200, 150, 400, 300, nullptr,
                                  nullptr, nullptr, nullptr);
    ShowWindow(hOwner, nShow);
    RECT rect = CPlacedDialog(hOwner, [](HWND) {}).m_rect;
    DestroyWindow(hOwner);
    return rect;
}

TEST(DialogPlacement, OverAVisibleOwnerElseInTheWorkAreaUnlessInitialisationPlacedIt) {
    RECT workArea = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0);
    EXPECT_TRUE(IsCentredOn(PlacedOverOwner(SW_SHOWNA), {200, 150, 600, 450})) << "a visible owner";
    EXPECT_TRUE(IsCentredOn(PlacedOverOwner(SW_HIDE), workArea)) << "a hidden owner";
    auto moveTo7And9 = [](HWND hWnd) { SetWindowPos(hWnd, nullptr, 7, 9, 0, 0, SWP_NOSIZE); };
    RECT moved = CPlacedDialog(nullptr, moveTo7And9).m_rect;
    EXPECT_EQ(moved.left, 7) << "moved by its initialisation";
    EXPECT_EQ(moved.top, 9);
    RECT shown = CPlacedDialog(nullptr, [](HWND hWnd) { ShowWindow(hWnd, SW_SHOWNA); }).m_rect;
    EXPECT_EQ(shown.left, 0) << "shown by its initialisation where the template put it";
    EXPECT_EQ(shown.top, 0);
}

} // namespace
