// The window tool of the Wine tests: looks at and drives the windows of other processes,
// starts programs (many at once, with a restricted token) and plants the supported drive.
// Output is UTF-8.
//
//   windowtool list [title]                the visible top-level windows, all or with that
//                                          title, one line each, then a line per control,
//                                          which says "greyed" when the control is disabled
//   windowtool click <title> <id>          presses the button with that control id
//   windowtool select <title> <id> <text>  selects the combo-box item with that text
//   windowtool post <title> command|syscommand <id>
//       Posts WM_COMMAND (as a button sends it) or WM_SYSCOMMAND with that id to every window
//       with that title, enabled or not.
//   windowtool endsession <title>          each window's answer to a log-off's WM_QUERYENDSESSION
//   windowtool race <copies> <title> <program> <message>
//       Starts that many copies at once (created suspended, then all resumed), presses OK on
//       each message box titled <title>, whose text must begin with <message>, until one
//       copy is left showing the main dialog (control 1000). Checks that no second main
//       dialog ever appears and that the dialog is the running copy's, cancels it, then
//       checks that a new start shows the dialog again. Prints "held", or "FAILED" and what
//       went wrong.
//   windowtool run restricted <program> [arguments]
//       Runs the program with the Administrators group disabled in its token (the way a
//       standard user's process looks) and returns its exit code; it may run a minute.
//   windowtool hold <file>
//       Keeps the file open, shared for reading only, until the tool is ended.
//   windowtool plant <letter>
//       Plants the supported IDE drive and its mount-table entry for that letter (upper case).
//       The letter must already be a CD-ROM drive of the prefix, or the entry names no volume.
//
// Commands that act pick the first enabled window with that title that has the control: a
// modal dialog disables its owner, which has the same title, so this is the one a user
// could reach.

#include "WineMachine.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

namespace {

using namespace wine_machine;

constexpr int kMainDialogControl = 1000;
constexpr int kMessageTextControl = 0xFFFF;

std::string Utf8(const std::wstring& text) {
    char utf8[4096] = {};
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, utf8, sizeof(utf8) - 1, nullptr, nullptr);
    return utf8;
}

// WM_GETTEXT is marshalled across processes; a window not pumping messages yet answers "".
std::wstring TextOf(HWND window, UINT milliseconds = 2000) {
    wchar_t text[1024] = {};
    SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                        milliseconds, nullptr);
    return text;
}

BOOL CALLBACK Collect(HWND window, LPARAM windows) {
    reinterpret_cast<std::vector<HWND>*>(windows)->push_back(window);
    return TRUE;
}

// The visible top-level windows with that title, or all of them. EnumWindows works on a
// snapshot of the window list; walking it with FindWindowExW while other programs bring
// windows to the front can meet one window twice.
std::vector<HWND> Windows(const wchar_t* title) {
    std::vector<HWND> all;
    std::vector<HWND> found;
    EnumWindows(Collect, reinterpret_cast<LPARAM>(&all));
    for (HWND window : all) {
        wchar_t text[256] = {};
        GetWindowTextW(window, text, 256);
        if (IsWindowVisible(window) && (!title || std::wcscmp(title, text) == 0)) {
            found.push_back(window);
        }
    }
    return found;
}

std::vector<HWND> Controls(HWND window) {
    std::vector<HWND> controls;
    EnumChildWindows(window, Collect, reinterpret_cast<LPARAM>(&controls));
    return controls;
}

// A combo box's items; for other controls, which answer 0 to CB_GETCOUNT, the text.
std::string Contents(HWND control) {
    const LRESULT count = SendMessageW(control, CB_GETCOUNT, 0, 0);
    std::string items;
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t item[256] = {};
        SendMessageW(control, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(item));
        items += "[" + Utf8(item) + "]";
    }
    return count > 0 ? "items=" + items : "text=" + Utf8(TextOf(control));
}

int List(const wchar_t* title) {
    for (HWND window : Windows(title)) {
        std::printf("window enabled=%d title=%s\n", IsWindowEnabled(window) ? 1 : 0,
                    Utf8(TextOf(window)).c_str());
        for (HWND control : Controls(window)) {
            std::printf("  control id=%d%s %s\n", GetDlgCtrlID(control),
                        IsWindowEnabled(control) ? "" : " greyed", Contents(control).c_str());
        }
    }
    return 0;
}

HWND TargetWindow(const wchar_t* title, int controlId) {
    for (HWND window : Windows(title)) {
        if (IsWindowEnabled(window) && GetDlgItem(window, controlId)) {
            return window;
        }
    }
    std::fprintf(stderr, "no enabled window titled %s with control %d\n", Utf8(title).c_str(),
                 controlId);
    std::exit(2);
}

bool Press(HWND window, int controlId) {
    return PostMessageW(GetDlgItem(window, controlId), BM_CLICK, 0, 0) != FALSE;
}

int Post(const wchar_t* title, const std::wstring& kind, int id) {
    const bool system = kind == L"syscommand";
    for (HWND window : Windows(title)) {
        PostMessageW(window, system ? WM_SYSCOMMAND : WM_COMMAND,
                     system ? static_cast<WPARAM>(id) : MAKEWPARAM(id, BN_CLICKED), 0);
    }
    return 0;
}

int AskEndSession(const wchar_t* title) {
    for (HWND window : Windows(title)) {
        DWORD_PTR answer = 2;
        SendMessageTimeoutW(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG,
                            5000, &answer);
        std::printf("%u\n", static_cast<unsigned>(answer));
    }
    return 0;
}

int Select(const wchar_t* title, int id, const wchar_t* text) {
    HWND dialog = TargetWindow(title, id);
    HWND combo = GetDlgItem(dialog, id);
    const LRESULT item = SendMessageW(combo, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                                      reinterpret_cast<LPARAM>(text));
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
    return item == CB_ERR ? 2 : 0;
}

// Asks done() every millisecond or so until it answers true; false when that many
// milliseconds passed first.
template <typename Done> bool Within(DWORD milliseconds, Done done) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > milliseconds) {
            return false;
        }
        Sleep(1);
    }
    return true;
}

std::wstring Quoted(const std::wstring& path) {
    return L"\"" + path + L"\"";
}

// Notes the problem unless the condition holds.
void Expect(bool holds, const std::string& problem, std::set<std::string>& problems) {
    if (!holds) {
        problems.insert(problem);
    }
}

long Running(const std::vector<CStartedProcess>& copies) {
    return std::count_if(copies.begin(), copies.end(), [](auto& copy) { return copy.Running(); });
}

// One look at the copies' windows: answers the main dialog, or nullptr, and presses OK on
// each message box whose text can be read (a box just created answers with no text yet). A
// box that stays is pressed again, since a click posted while it was being created can be
// lost.
HWND LookAtCopies(const wchar_t* title, const std::wstring& message,
                  std::set<std::string>& problems) {
    std::vector<HWND> dialogs;
    for (HWND window : Windows(title)) {
        if (GetDlgItem(window, kMainDialogControl)) {
            dialogs.push_back(window);
            continue;
        }
        const std::wstring text = TextOf(GetDlgItem(window, kMessageTextControl), 200);
        if (!text.empty()) {
            Expect(text.rfind(message, 0) == 0, "unexpected message [" + Utf8(text) + "]",
                   problems);
            Press(window, IDOK);
        }
    }
    Expect(dialogs.size() <= 1, "two main dialogs at once", problems);
    return dialogs.empty() ? nullptr : dialogs.front();
}

// Resumes the copies together and watches them for at most a minute, until one is left
// showing the main dialog, then cancels it; after all have ended a new start must show the
// dialog again. Prints one line.
int Race(int count, const wchar_t* title, const std::wstring& program,
         const std::wstring& message) {
    std::set<std::string> problems;
    std::vector<CStartedProcess> copies(static_cast<size_t>(count));
    for (CStartedProcess& copy : copies) {
        Expect(copy.Start(Quoted(program), CREATE_SUSPENDED), "a copy did not start", problems);
    }
    for (const CStartedProcess& copy : copies) {
        ResumeThread(copy.hThread);
    }
    HWND dialog = nullptr;
    Within(60000, [&] {
        dialog = LookAtCopies(title, message, problems);
        return Running(copies) == 0 || (Running(copies) == 1 && dialog != nullptr);
    });
    Expect(dialog != nullptr, "no main dialog", problems);
    Expect(Running(copies) <= 1, std::to_string(Running(copies)) + " copies running", problems);
    Press(dialog, IDCANCEL);
    for (const CStartedProcess& copy : copies) {
        Expect(copy.EndedWithin(20000), "a copy did not end after Cancel", problems);
    }
    CStartedProcess again;
    Expect(again.Start(Quoted(program)) &&
               Within(30000, [&] { return ShowsControl(again, kMainDialogControl); }),
           "a new start showed no main dialog", problems);
    std::string verdict = problems.empty() ? "held" : "FAILED";
    for (const std::string& problem : problems) {
        verdict += "; " + problem;
    }
    std::printf("%s\n", verdict.c_str());
    return problems.empty() ? 0 : 1;
}

// Runs the program with the Administrators group disabled in the token, the way a standard
// user's process looks; its exit code, 2 when no such token could be made, or 1 when it
// could not start or ran for more than a minute. The arguments, which end with a null
// pointer as argv's do, are passed on as given, each in quotes when it holds a space.
int RunRestricted(wchar_t** arguments) {
    std::wstring line;
    for (; *arguments; ++arguments) {
        const std::wstring argument = *arguments;
        line += line.empty() ? L"" : L" ";
        line += argument.find(L' ') == std::wstring::npos ? argument : Quoted(argument);
    }
    HANDLE token = nullptr;
    HANDLE restricted = nullptr;
    BYTE administrators[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof(administrators);
    if (OpenProcessToken(GetCurrentProcess(), TOKEN_ALL_ACCESS, &token) &&
        CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &size)) {
        SID_AND_ATTRIBUTES disabled = {administrators, 0};
        CreateRestrictedToken(token, 0, 1, &disabled, 0, nullptr, 0, nullptr, &restricted);
    }
    const DWORD code = restricted ? RunAndWait(line, restricted) : 2;
    CloseHandle(restricted);
    CloseHandle(token);
    return static_cast<int>(code);
}

// Returns only when the file cannot be opened.
int Hold(const wchar_t* file) {
    if (CreateFileW(file, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr) !=
        INVALID_HANDLE_VALUE) {
        Sleep(INFINITE);
    }
    std::fprintf(stderr, "cannot open %s\n", Utf8(file).c_str());
    return 2;
}

// Plants the supported IDE drive and its mount-table entry for that letter.
int Plant(wchar_t letter) {
    PlantDevice(kIdeDriveInstance, kCdromClass, kCdromInterface);
    PlantMountEntry(letter, kIdeDriveMountPath);
    return 0;
}

// A command: its name, how many arguments it takes, and what it does with them.
struct Command {
    const wchar_t* name;
    int fewest;
    int most;
    int (*run)(wchar_t** arguments);
};

const Command kCommands[] = {
    {L"list", 0, 1, [](wchar_t** a) { return List(a[0]); }},
    {L"click", 2, 2,
     [](wchar_t** a) { return Press(TargetWindow(a[0], _wtoi(a[1])), _wtoi(a[1])) ? 0 : 2; }},
    {L"select", 3, 3, [](wchar_t** a) { return Select(a[0], _wtoi(a[1]), a[2]); }},
    {L"post", 3, 3, [](wchar_t** a) { return Post(a[0], a[1], _wtoi(a[2])); }},
    {L"endsession", 1, 1, [](wchar_t** a) { return AskEndSession(a[0]); }},
    {L"race", 4, 4, [](wchar_t** a) { return Race(_wtoi(a[0]), a[1], a[2], a[3]); }},
    {L"run", 2, INT_MAX,
     [](wchar_t** a) { return std::wcscmp(a[0], L"restricted") == 0 ? RunRestricted(a + 1) : 64; }},
    {L"hold", 1, 1, [](wchar_t** a) { return Hold(a[0]); }},
    {L"plant", 1, 1, [](wchar_t** a) { return Plant(a[0][0]); }},
};

} // namespace

int wmain(int argc, wchar_t** argv) {
    for (const Command& command : kCommands) {
        if (argc > 1 && std::wcscmp(argv[1], command.name) == 0 && argc - 2 >= command.fewest &&
            argc - 2 <= command.most) {
            return command.run(argv + 2);
        }
    }
    std::fputs("usage: windowtool list|click|select|post|endsession|race|run|hold|plant\n", stderr);
    return 64;
}
