// The window tool of the Wine tests: looks at and drives the windows of other processes,
// starts programs (many at once, timed, with a restricted token, without a variable) and
// locks a registry key. Output is UTF-8.
//
//   windowtool list [title]                the visible top-level windows, all or with that
//                                          title, one line each, and a line per control
//   windowtool click <title> <id>          presses the button with that control id
//   windowtool select <title> <id> <text>  selects the combo-box item with that text
//   windowtool syscommand <title> <id>     posts WM_SYSCOMMAND with that id
//   windowtool race <copies> <title> <program> <message>
//       Starts that many copies at once (created suspended, then all resumed), presses OK on
//       each message box titled <title>, whose text must begin with <message>, until one
//       copy is left showing the main dialog (control 1000). Checks that no second main
//       dialog ever appears and that the dialog is the running copy's, cancels it, then
//       checks that a new start shows the dialog again. Prints one line.
//   windowtool time <runs> <program>...
//       Times CreateProcessW to a visible dialog (a window with a Cancel button) of that
//       process, ending the process then, the programs taking turns. Prints the medians.
//   windowtool run [restricted] [without <variable>] <program> [arguments]
//       Runs the program with the Administrators group disabled in its token (the way a
//       standard user's process looks), or without that environment variable, and returns
//       its exit code.
//   windowtool lockkey <HKLM subkey> [rights]
//       Gives everyone, administrators included, only these rights to the key (32-bit view),
//       in SDDL's letters: KR (read only, the default) or KRKW (read and write).
//   windowtool hold <file>
//       Keeps the file open, shared for reading only, until the tool is ended.
//
// Commands that act pick the first enabled window with that title that has the control: a
// modal dialog disables its owner, which has the same title, so this is the one a user
// could reach.

#include <windows.h>

#include <sddl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr int kMainDialogControl = 1000;
constexpr int kMessageTextControl = 0xFFFF;

std::string Utf8(const std::wstring& text) {
    const int length = static_cast<int>(text.size());
    int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), length, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<size_t>(std::max(size, 0)), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), length, &result[0], size, nullptr, nullptr);
    return result;
}

// WM_GETTEXT is marshalled across processes; a window not pumping messages yet answers "".
std::wstring TextOf(HWND window, UINT milliseconds = 2000) {
    wchar_t text[1024] = {};
    SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                        milliseconds, nullptr);
    return text;
}

std::string ClassOf(HWND window) {
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return Utf8(name);
}

DWORD OwnerOf(HWND window) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    return processId;
}

struct WindowSearch {
    const wchar_t* title; // nullptr: any
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    wchar_t title[256] = {};
    GetWindowTextW(window, title, 256);
    if (IsWindowVisible(window) && (!search->title || std::wcscmp(search->title, title) == 0)) {
        search->found.push_back(window);
    }
    return TRUE;
}

// EnumWindows works on a snapshot of the window list; walking it with FindWindowExW while
// other programs bring windows to the front can meet one window twice.
std::vector<HWND> Windows(const wchar_t* title) {
    WindowSearch search{title, {}};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::vector<std::wstring> ComboItems(HWND combo) {
    std::vector<std::wstring> items(static_cast<size_t>(SendMessageW(combo, CB_GETCOUNT, 0, 0)));
    for (size_t i = 0; i < items.size(); ++i) {
        wchar_t item[256] = {};
        SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
        items[i] = item;
    }
    return items;
}

BOOL CALLBACK PrintControl(HWND control, LPARAM) {
    std::string className = ClassOf(control);
    std::printf("  control id=%d class=%s enabled=%d", GetDlgCtrlID(control), className.c_str(),
                IsWindowEnabled(control) ? 1 : 0);
    if (className == "ComboBox") {
        std::printf(" items=");
        for (const auto& item : ComboItems(control)) {
            std::printf("[%s]", Utf8(item).c_str());
        }
    } else {
        std::printf(" text=%s", Utf8(TextOf(control)).c_str());
    }
    std::printf("\n");
    return TRUE;
}

int List(const wchar_t* title) {
    for (HWND window : Windows(title)) {
        std::printf("window hwnd=%p pid=%lu class=%s enabled=%d iconic=%d title=%s\n",
                    static_cast<void*>(window), OwnerOf(window), ClassOf(window).c_str(),
                    IsWindowEnabled(window) ? 1 : 0, IsIconic(window) ? 1 : 0,
                    Utf8(TextOf(window)).c_str());
        EnumChildWindows(window, PrintControl, 0);
    }
    return 0;
}

HWND TargetWindow(const wchar_t* title, int controlId) {
    for (HWND window : Windows(title)) {
        if (IsWindowEnabled(window) && (controlId == 0 || GetDlgItem(window, controlId))) {
            return window;
        }
    }
    std::fprintf(stderr, "no enabled window titled %s with control %d\n", Utf8(title).c_str(),
                 controlId);
    std::exit(2);
}

void Press(HWND window, int controlId) {
    PostMessageW(GetDlgItem(window, controlId), BM_CLICK, 0, 0);
}

int Select(const wchar_t* title, int id, const wchar_t* text) {
    HWND dialog = TargetWindow(title, id);
    HWND combo = GetDlgItem(dialog, id);
    LRESULT item = SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                reinterpret_cast<LPARAM>(text));
    if (item == CB_ERR) {
        std::fprintf(stderr, "no item %s\n", Utf8(text).c_str());
        return 2;
    }
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(item), 0);
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
    return 0;
}

double Milliseconds() {
    LARGE_INTEGER frequency;
    LARGE_INTEGER now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// A started process; its handles are closed with it.
struct Process : PROCESS_INFORMATION {
    Process() : PROCESS_INFORMATION{} {}
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    ~Process() {
        if (hProcess != nullptr) {
            CloseHandle(hThread);
            CloseHandle(hProcess);
        }
    }
    bool Running() const { return WaitForSingleObject(hProcess, 0) == WAIT_TIMEOUT; }
    // Waits for the process to end, and ends it when it does not.
    bool EndedWithin(DWORD milliseconds) const {
        if (WaitForSingleObject(hProcess, milliseconds) == WAIT_OBJECT_0) {
            return true;
        }
        TerminateProcess(hProcess, 1);
        WaitForSingleObject(hProcess, INFINITE);
        return false;
    }
};

bool Start(Process& process, std::wstring line, DWORD flags = 0, HANDLE token = nullptr) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    BOOL started = token ? CreateProcessAsUserW(token, nullptr, &line[0], nullptr, nullptr, FALSE,
                                                flags, nullptr, nullptr, &startup, &process)
                         : CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, flags,
                                          nullptr, nullptr, &startup, &process);
    if (!started) {
        std::fprintf(stderr, "cannot start %s: %lu\n", Utf8(line).c_str(), GetLastError());
    }
    return started != FALSE;
}

std::wstring Quoted(const std::wstring& path) {
    return L"\"" + path + L"\"";
}

// A message box seen during a race: pressed once its text was read (a box just created
// answers with no text yet), and again every half second while it stays, since a click
// posted while it was being created can be lost.
struct SeenBox {
    double firstSeen = 0;
    double lastPressed = -1e9;
    bool read = false;
};

// Answers false for a box whose text does not begin with the message, once it is read.
bool PressMessageBox(HWND box, SeenBox& seen, const std::wstring& message) {
    const double now = Milliseconds();
    bool expected = true;
    if (!seen.read) {
        std::wstring text = TextOf(GetDlgItem(box, kMessageTextControl), 200);
        if (text.empty() && now - seen.firstSeen < 5000) {
            return true;
        }
        seen.read = true;
        expected = text.rfind(message, 0) == 0;
        if (!expected) {
            std::fprintf(stderr, "unexpected message box: [%s]\n", Utf8(text).c_str());
        }
    }
    if (now - seen.lastPressed > 500) {
        seen.lastPressed = now;
        Press(box, IDOK);
    }
    return expected;
}

// What the copies of one start showed.
struct Race {
    int mostDialogs = 0;
    size_t boxesPressed = 0;
    std::string problems; // each after "; "
};

// Starts the copies at once (created suspended, then all resumed) and watches them until
// one is left showing the main dialog, pressing OK on every message box; cancels it then.
// Answers how long it took until then, in milliseconds.
double StartCopies(int copies, const wchar_t* title, const std::wstring& program,
                   const std::wstring& message, Race& race) {
    std::vector<Process> started(static_cast<size_t>(copies));
    for (Process& process : started) {
        if (!Start(process, Quoted(program), CREATE_SUSPENDED)) {
            race.problems += "; a copy did not start";
            return 0;
        }
    }
    const double start = Milliseconds();
    for (const Process& process : started) {
        ResumeThread(process.hThread);
    }
    auto running = [&started] {
        return std::count_if(started.begin(), started.end(), [](auto& p) { return p.Running(); });
    };
    std::map<HWND, SeenBox> boxes;
    HWND dialog = nullptr;
    int otherMessages = 0;
    for (; Milliseconds() - start < 60000 && running() > 0; Sleep(2)) {
        int dialogs = 0;
        dialog = nullptr;
        for (HWND window : Windows(title)) {
            if (GetDlgItem(window, kMainDialogControl) != nullptr) {
                ++dialogs;
                dialog = window;
            } else if (!PressMessageBox(
                           window, boxes.try_emplace(window, SeenBox{Milliseconds()}).first->second,
                           message)) {
                ++otherMessages;
            }
        }
        race.mostDialogs = std::max(race.mostDialogs, dialogs);
        if (running() == 1 && dialogs == 1) {
            break;
        }
    }
    const double settled = Milliseconds() - start;
    race.boxesPressed += boxes.size();
    race.problems += otherMessages > 0 ? "; other messages" : "";
    race.problems += race.mostDialogs > 1 ? "; two main dialogs at once" : "";
    race.problems += dialog == nullptr ? "; no main dialog" : "";
    race.problems +=
        running() > 1 ? "; " + std::to_string(running()) + " copies still running" : "";
    const DWORD owner = OwnerOf(dialog);
    if (dialog != nullptr && std::none_of(started.begin(), started.end(), [owner](auto& p) {
            return p.dwProcessId == owner && p.Running();
        })) {
        race.problems += "; the dialog is not the running copy's";
    }
    if (dialog != nullptr) {
        Press(dialog, IDCANCEL);
    }
    for (const Process& process : started) {
        race.problems += process.EndedWithin(20000) ? "" : "; a copy did not end after Cancel";
    }
    return settled;
}

// The race, then a start after all have ended, which must show the dialog again.
int RaceCopies(int copies, const wchar_t* title, const std::wstring& program,
               const std::wstring& message) {
    const double start = Milliseconds();
    Race race;
    const double settled = StartCopies(copies, title, program, message, race);
    StartCopies(1, title, program, message, race);
    std::printf("%s: %d copies, %d main dialog(s) at most, %u message box(es) pressed, race "
                "settled in %.0f ms, trial %.0f ms%s\n",
                race.problems.empty() ? "held" : "FAILED", copies, race.mostDialogs,
                static_cast<unsigned>(race.boxesPressed), settled, Milliseconds() - start,
                race.problems.c_str());
    return race.problems.empty() ? 0 : 1;
}

// Milliseconds from CreateProcessW to a visible window of the process with a Cancel button,
// or a negative value when none showed.
double TimeOneStart(const std::wstring& program) {
    const double start = Milliseconds();
    Process process;
    for (bool started = Start(process, Quoted(program));
         started && process.Running() && Milliseconds() - start < 30000; Sleep(1)) {
        for (HWND window : Windows(nullptr)) {
            if (OwnerOf(window) == process.dwProcessId && GetDlgItem(window, IDCANCEL)) {
                const double shown = Milliseconds() - start;
                process.EndedWithin(0);
                return shown;
            }
        }
    }
    process.EndedWithin(0);
    return -1;
}

// The programs take turns, so that a slow moment of the machine weighs on each alike.
int Time(int runs, const std::vector<std::wstring>& programs) {
    std::vector<std::vector<double>> times(programs.size());
    for (int run = 0; run < runs; ++run) {
        for (size_t i = 0; i < programs.size(); ++i) {
            times[i].push_back(TimeOneStart(programs[i]));
            if (times[i].back() < 0) {
                std::fprintf(stderr, "%s showed no dialog\n", Utf8(programs[i]).c_str());
                return 1;
            }
        }
    }
    for (size_t i = 0; i < programs.size(); ++i) {
        std::vector<double>& t = times[i];
        std::sort(t.begin(), t.end());
        const double median = (t[(t.size() - 1) / 2] + t[t.size() / 2]) / 2;
        std::printf("%s: median %.1f ms over %d runs (min %.1f, max %.1f)\n",
                    Utf8(programs[i].substr(programs[i].find_last_of(L"\\/") + 1)).c_str(), median,
                    runs, t.front(), t.back());
    }
    return 0;
}

// This process's command line after its first `skipped` arguments, as typed.
std::wstring CommandLineAfter(int skipped) {
    const wchar_t* line = GetCommandLineW();
    for (int i = 0; i < skipped; ++i) {
        for (bool quoted = false; *line != 0 && (quoted || *line != L' '); ++line) {
            quoted ^= *line == L'"';
        }
        while (*line == L' ') {
            ++line;
        }
    }
    return line;
}

HANDLE RestrictedToken() {
    HANDLE token = nullptr;
    HANDLE restricted = nullptr;
    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    PSID administrators = nullptr;
    if (OpenProcessToken(GetCurrentProcess(), TOKEN_ALL_ACCESS, &token) &&
        AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                 DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0, &administrators)) {
        SID_AND_ATTRIBUTES disabled = {administrators, 0};
        CreateRestrictedToken(token, 0, 1, &disabled, 0, nullptr, 0, nullptr, &restricted);
        FreeSid(administrators);
    }
    CloseHandle(token);
    return restricted;
}

int Run(int argc, wchar_t** argv) {
    int next = 2;
    const bool restricted = next < argc && std::wcscmp(argv[next], L"restricted") == 0;
    next += restricted ? 1 : 0;
    if (next + 1 < argc && std::wcscmp(argv[next], L"without") == 0) {
        SetEnvironmentVariableW(argv[next + 1], nullptr);
        next += 2;
    }
    HANDLE token = restricted ? RestrictedToken() : nullptr;
    Process process;
    const bool started = next < argc && (token != nullptr || !restricted) &&
                         Start(process, CommandLineAfter(next), 0, token);
    CloseHandle(token);
    DWORD code = 2;
    if (started && WaitForSingleObject(process.hProcess, INFINITE) == WAIT_OBJECT_0) {
        GetExitCodeProcess(process.hProcess, &code);
    }
    return static_cast<int>(code);
}

// A protected DACL (nothing inherited adds rights back) that grants Everyone read access.
int LockKey(const wchar_t* subkey, const std::wstring& rights) {
    HKEY key = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    LONG result = RegCreateKeyExW(HKEY_LOCAL_MACHINE, subkey, 0, nullptr, 0,
                                  WRITE_DAC | KEY_WOW64_32KEY, nullptr, &key, nullptr);
    const std::wstring sddl = L"D:P(A;;" + rights + L";;;WD)";
    if (result == ERROR_SUCCESS && ConvertStringSecurityDescriptorToSecurityDescriptorW(
                                       sddl.c_str(), SDDL_REVISION_1, &descriptor, nullptr)) {
        result = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor);
        LocalFree(descriptor);
    }
    RegCloseKey(key);
    return result == ERROR_SUCCESS && descriptor != nullptr ? 0 : 2;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring command = argc > 1 ? argv[1] : L"";
    const wchar_t* title = argc > 2 ? argv[2] : nullptr;
    const int id = argc > 3 ? _wtoi(argv[3]) : 0;
    if (command == L"list" && argc <= 3) {
        return List(title);
    }
    if (command == L"click" && argc == 4) {
        Press(TargetWindow(title, id), id);
        return 0;
    }
    if (command == L"syscommand" && argc == 4) {
        return !PostMessageW(TargetWindow(title, 0), WM_SYSCOMMAND, static_cast<WPARAM>(id), 0);
    }
    if (command == L"select" && argc == 5) {
        return Select(title, id, argv[4]);
    }
    if (command == L"race" && argc == 6) {
        return RaceCopies(_wtoi(argv[2]), argv[3], argv[4], argv[5]);
    }
    if (command == L"time" && argc >= 4) {
        return Time(_wtoi(argv[2]), std::vector<std::wstring>(argv + 3, argv + argc));
    }
    if (command == L"run" && argc >= 3) {
        return Run(argc, argv);
    }
    if (command == L"lockkey" && (argc == 3 || argc == 4)) {
        return LockKey(argv[2], argc == 4 ? argv[3] : L"KR");
    }
    if (command == L"hold" && argc == 3 &&
        CreateFileW(argv[2], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr) !=
            INVALID_HANDLE_VALUE) {
        Sleep(INFINITE);
    }
    std::fprintf(stderr,
                 "usage: windowtool list|click|select|syscommand|race|time|run|lockkey|hold "
                 "(see windowtool.cpp)\n");
    return 64;
}
