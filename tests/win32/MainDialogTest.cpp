// The main dialog's lists as a screen reader names them, from the template of each
// language: Windows' accessibility layer names a control without text after the nearest
// static text before it in the template (GW_HWNDPREV), stopping at a control that starts
// a tab-stop group. Wine's own layer does this for edit controls only, hence the walk here.

#include "res/resource.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

INT_PTR CALLBACK NoDialogProcedure(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

std::wstring AccessibleName(HWND hControl) {
    for (HWND h = GetWindow(hControl, GW_HWNDPREV); h != nullptr; h = GetWindow(h, GW_HWNDPREV)) {
        wchar_t szText[64] = {};
        GetClassNameW(h, szText, 64);
        if (lstrcmpiW(szText, L"Static") == 0) {
            GetWindowTextW(h, szText, 64);
            return szText;
        }
        if ((GetWindowLongW(h, GWL_STYLE) & (WS_GROUP | WS_TABSTOP)) == (WS_GROUP | WS_TABSTOP)) {
            break;
        }
    }
    return L"(no name)";
}

TEST(MainDialog, EachListIsNamedByItsOwnLabelInEveryLanguage) {
    const struct {
        LANGID language;
        const wchar_t* pszCurrent;
        const wchar_t* pszNew;
    } rows[] = {
        {MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), L"Current drive letter :",
         L"New drive letter : "},
        {MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH), L"Lettre de lecteur actuelle\u00a0:",
         L"Nouvelle lettre de lecteur\u00a0:"},
        {MAKELANGID(LANG_JAPANESE, SUBLANG_JAPANESE_JAPAN), L"現在のドライブ文字：",
         L"新しいドライブ文字："},
        {MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED), L"当前驱动器号：", L"新驱动器号："},
    };
    for (const auto& row : rows) {
        HRSRC hResource =
            FindResourceExW(nullptr, RT_DIALOG, MAKEINTRESOURCEW(IDD_MAIN_DIALOG), row.language);
        ASSERT_NE(hResource, nullptr) << std::hex << row.language;
        auto* pTemplate =
            static_cast<const DLGTEMPLATE*>(LockResource(LoadResource(nullptr, hResource)));
        HWND hDialog = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), pTemplate, nullptr,
                                                  &NoDialogProcedure, 0);
        ASSERT_NE(hDialog, nullptr);
        EXPECT_EQ(AccessibleName(GetDlgItem(hDialog, IDC_CURRENT_LETTER)), row.pszCurrent);
        EXPECT_EQ(AccessibleName(GetDlgItem(hDialog, IDC_NEW_LETTER)), row.pszNew);
        DestroyWindow(hDialog);
    }
}

} // namespace
