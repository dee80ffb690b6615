// The main dialog's template in each language: it leaves the dialog's place to the
// framework, which centres it, and its lists are named as a screen reader names them.
// Windows' accessibility layer names a control without text after the nearest static text
// before it in the template (GW_HWNDPREV), stopping at a control that starts a tab-stop
// group. Wine's own layer does this for edit controls only, hence the walk here.

#include "res/resource.h"
#include "ui/framework/PlacementRules.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

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

TEST(MainDialog, CentredAndEachListNamedByItsOwnLabelInEveryLanguage) {
    const LANGID languages[] = {0x0409, 0x040C, 0x0411, 0x0804}; // en-US, fr-FR, ja-JP, zh-CN
    const wchar_t* const labels[][2] = {
        {L"Current drive letter :", L"New drive letter : "},
        {L"Lettre de lecteur actuelle\u00a0:", L"Nouvelle lettre de lecteur\u00a0:"},
        {L"現在のドライブ文字：", L"新しいドライブ文字："},
        {L"当前驱动器号：", L"新驱动器号："},
    };
    for (int i = 0; i < 4; ++i) {
        HRSRC hTemplate =
            FindResourceExW(nullptr, RT_DIALOG, MAKEINTRESOURCEW(IDD_MAIN_DIALOG), languages[i]);
        const void* pTemplate = LockResource(LoadResource(nullptr, hTemplate));
        EXPECT_TRUE(IsPlacedByFramework(static_cast<const uint8_t*>(pTemplate),
                                        SizeofResource(nullptr, hTemplate)));
        HWND hDialog = CreateDialogIndirectParamW(
            nullptr, static_cast<const DLGTEMPLATE*>(pTemplate), nullptr, nullptr, 0);
        ASSERT_NE(hDialog, nullptr) << std::hex << languages[i];
        EXPECT_EQ(AccessibleName(GetDlgItem(hDialog, IDC_CURRENT_LETTER)), labels[i][0]);
        EXPECT_EQ(AccessibleName(GetDlgItem(hDialog, IDC_NEW_LETTER)), labels[i][1]);
        DestroyWindow(hDialog);
    }
}

} // namespace
