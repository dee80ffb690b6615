// The smallest dialog program: one modal dialog titled "QuenlathBare" from its resources,
// closed by OK or Cancel. The start-up benchmark compares Morvessa.exe against it.

#include <windows.h>

namespace {

constexpr int kDialogId = 100;

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        return TRUE;
    }
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    return static_cast<int>(
        DialogBoxParamW(instance, MAKEINTRESOURCEW(kDialogId), nullptr, DialogProc, 0));
}
