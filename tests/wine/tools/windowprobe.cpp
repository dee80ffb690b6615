// Looks at and drives the windows of another process from outside, for the end-to-end
// tests under Wine. Output is UTF-8, one line per window or control.
//
//   windowprobe list [title]            top-level windows (and their controls) with that title
//   windowprobe wait <title> <seconds>  waits until a top-level window with that title exists
//   windowprobe gone <title> <seconds>  waits until no top-level window with that title exists
//   windowprobe click <title> <id>      presses the button with that control id
//   windowprobe select <title> <id> <text>  selects the combo-box item with that text
//   windowprobe syscommand <title> <id> posts WM_SYSCOMMAND with that id
//   windowprobe count <title>           prints how many top-level windows have that title
//   windowprobe text <title> <id>       prints the text of a control of the reachable window
//
// Commands that act pick the first enabled window with that title that has the control.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::string Utf8(const std::wstring& text) {
    if (text.empty()) {
        return {};
    }
    int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr,
                                   0, nullptr, nullptr);
    std::string result(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &result[0], size,
                        nullptr, nullptr);
    return result;
}

// Text of a window of another process: WM_GETTEXT is marshalled across processes.
std::wstring TextOf(HWND window) {
    wchar_t buffer[1024] = {};
    SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buffer), SMTO_BLOCK,
                        2000, nullptr);
    return buffer;
}

std::wstring ClassOf(HWND window) {
    wchar_t buffer[256] = {};
    GetClassNameW(window, buffer, 256);
    return buffer;
}

std::vector<HWND> TopLevelWindows(const std::wstring& title) {
    std::vector<HWND> found;
    for (HWND window = FindWindowExW(nullptr, nullptr, nullptr, title.c_str()); window != nullptr;
         window = FindWindowExW(nullptr, window, nullptr, title.c_str())) {
        found.push_back(window);
    }
    return found;
}

std::vector<std::wstring> ComboItems(HWND combo) {
    std::vector<std::wstring> items;
    LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t buffer[256] = {};
        SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(buffer));
        items.push_back(buffer);
    }
    return items;
}

void PrintControl(HWND control) {
    std::wstring className = ClassOf(control);
    std::printf("  control id=%d class=%s enabled=%d", GetDlgCtrlID(control),
                Utf8(className).c_str(), IsWindowEnabled(control) ? 1 : 0);
    if (lstrcmpiW(className.c_str(), L"ComboBox") == 0) {
        LRESULT selection = SendMessageW(control, CB_GETCURSEL, 0, 0);
        std::printf(" selection=%ld items=", static_cast<long>(selection));
        for (const auto& item : ComboItems(control)) {
            std::printf("[%s]", Utf8(item).c_str());
        }
    } else {
        if (lstrcmpiW(className.c_str(), L"Button") == 0) {
            std::printf(" checked=%d", static_cast<int>(SendMessageW(control, BM_GETCHECK, 0, 0)));
        }
        std::printf(" text=%s", Utf8(TextOf(control)).c_str());
    }
    std::printf("\n");
}

BOOL CALLBACK PrintChild(HWND child, LPARAM) {
    PrintControl(child);
    return TRUE;
}

BOOL CALLBACK PrintTopLevel(HWND window, LPARAM titleFilter) {
    const auto* filter = reinterpret_cast<const std::wstring*>(titleFilter);
    std::wstring title = TextOf(window);
    if (!IsWindowVisible(window) || (filter != nullptr && title != *filter)) {
        return TRUE;
    }
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    std::printf("window hwnd=%p pid=%lu class=%s enabled=%d iconic=%d title=%s\n",
                static_cast<void*>(window), static_cast<unsigned long>(processId),
                Utf8(ClassOf(window)).c_str(), IsWindowEnabled(window) ? 1 : 0,
                IsIconic(window) ? 1 : 0, Utf8(title).c_str());
    EnumChildWindows(window, PrintChild, 0);
    return TRUE;
}

bool WaitFor(const std::wstring& title, double seconds, bool present) {
    for (int waited = 0; waited <= static_cast<int>(seconds * 10); ++waited) {
        if (TopLevelWindows(title).empty() != present) {
            return true;
        }
        Sleep(100);
    }
    return false;
}

// The window to act on: the first enabled top-level window with that title that has a
// control with that id. A running modal dialog disables its owner, which has the same
// title, so this picks the dialog the user could reach.
HWND TargetWindow(const std::wstring& title, int controlId) {
    for (HWND window : TopLevelWindows(title)) {
        if (IsWindowEnabled(window) && (controlId == 0 || GetDlgItem(window, controlId))) {
            return window;
        }
    }
    std::fprintf(stderr, "no enabled window titled %s with control %d\n", Utf8(title).c_str(),
                 controlId);
    std::exit(2);
}

int Click(const std::wstring& title, int id) {
    PostMessageW(GetDlgItem(TargetWindow(title, id), id), BM_CLICK, 0, 0);
    return 0;
}

int Select(const std::wstring& title, int id, const std::wstring& text) {
    HWND dialog = TargetWindow(title, id);
    HWND combo = GetDlgItem(dialog, id);
    auto items = ComboItems(combo);
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i] == text) {
            SendMessageW(combo, CB_SETCURSEL, i, 0);
            PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
                         reinterpret_cast<LPARAM>(combo));
            return 0;
        }
    }
    std::fprintf(stderr, "no item %s\n", Utf8(text).c_str());
    return 2;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: windowprobe list|wait|gone|click|select|syscommand|count|text ...\n");
    return 64;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        return Usage();
    }
    std::wstring command = argv[1];
    std::wstring title = argc > 2 ? argv[2] : L"";
    if (command == L"list") {
        EnumWindows(PrintTopLevel, argc > 2 ? reinterpret_cast<LPARAM>(&title) : 0);
        return 0;
    }
    if (command == L"count" && argc == 3) {
        std::printf("%u\n", static_cast<unsigned>(TopLevelWindows(title).size()));
        return 0;
    }
    if ((command == L"wait" || command == L"gone") && argc == 4) {
        return WaitFor(title, _wtof(argv[3]), command == L"wait") ? 0 : 1;
    }
    if (command == L"click" && argc == 4) {
        return Click(title, _wtoi(argv[3]));
    }
    if (command == L"select" && argc == 5) {
        return Select(title, _wtoi(argv[3]), argv[4]);
    }
    if (command == L"text" && argc == 4) {
        int id = _wtoi(argv[3]);
        std::printf("%s\n", Utf8(TextOf(GetDlgItem(TargetWindow(title, id), id))).c_str());
        return 0;
    }
    if (command == L"syscommand" && argc == 4) {
        PostMessageW(TargetWindow(title, 0), WM_SYSCOMMAND, static_cast<WPARAM>(_wtoi(argv[3])), 0);
        return 0;
    }
    return Usage();
}
