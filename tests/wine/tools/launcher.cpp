// Starts programs under Wine for the race and start-up tests, timing and watching them
// from inside the prefix (no wine start-up noise from the shell):
//
//   launcher race <copies> <title> <program> <message>
//       Starts that many copies at once (created suspended, then all resumed), presses
//       OK on each message box titled <title> (whose text must begin with <message>),
//       and waits until one copy is left showing
//       the main dialog (the window titled <title> with control 1000). Checks that no
//       second main dialog ever appears and that the dialog belongs to the last copy,
//       closes it, then checks that a new start shows the dialog again. Prints one line.
//   launcher time <runs> <title> <program> [<title> <program>...]
//       For each program in turn, runs times: the time from CreateProcessW to a visible
//       window titled <title> with a Cancel button (control 2), which it then cancels.
//       Prints each program's median in milliseconds.
//   launcher without <variable> <program> [arguments]
//       Runs the program with that variable removed from its environment; returns its
//       exit code.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kMainDialogControl = 1000;
constexpr DWORD kPollMilliseconds = 2;

class CScopedHandle {
public:
    explicit CScopedHandle(HANDLE handle = nullptr) : m_handle(handle) {}
    ~CScopedHandle() {
        if (m_handle != nullptr) {
            CloseHandle(m_handle);
        }
    }
    CScopedHandle(CScopedHandle&& other) noexcept : m_handle(other.m_handle) {
        other.m_handle = nullptr;
    }
    CScopedHandle(const CScopedHandle&) = delete;
    CScopedHandle& operator=(const CScopedHandle&) = delete;
    CScopedHandle& operator=(CScopedHandle&& other) noexcept {
        std::swap(m_handle, other.m_handle);
        return *this;
    }
    HANDLE Get() const { return m_handle; }

private:
    HANDLE m_handle;
};

struct Process {
    CScopedHandle handle;
    CScopedHandle thread;
    DWORD id = 0;
    bool Running() const { return WaitForSingleObject(handle.Get(), 0) == WAIT_TIMEOUT; }
};

class Clock {
public:
    Clock() {
        QueryPerformanceFrequency(&m_frequency);
        QueryPerformanceCounter(&m_start);
    }
    double Milliseconds() const {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        return 1000.0 * static_cast<double>(now.QuadPart - m_start.QuadPart) /
               static_cast<double>(m_frequency.QuadPart);
    }

private:
    LARGE_INTEGER m_frequency;
    LARGE_INTEGER m_start;
};

bool Start(const std::wstring& commandLine, DWORD flags, Process& process) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    std::wstring line = commandLine;
    if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, flags, nullptr, nullptr,
                        &startup, &info)) {
        std::fprintf(stderr, "CreateProcessW failed: %lu\n", GetLastError());
        return false;
    }
    process.handle = CScopedHandle(info.hProcess);
    process.thread = CScopedHandle(info.hThread);
    process.id = info.dwProcessId;
    return true;
}

std::wstring Quoted(const std::wstring& path) {
    return L"\"" + path + L"\"";
}

struct TitleSearch {
    const std::wstring* title;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectTitled(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<TitleSearch*>(param);
    wchar_t text[256] = {};
    if (IsWindowVisible(window) && GetWindowTextW(window, text, 256) > 0 &&
        *search->title == text) {
        search->found.push_back(window);
    }
    return TRUE;
}

// The visible top-level windows with that title. EnumWindows works on a snapshot of the
// window list; walking it with FindWindowExW while the copies bring windows to the front
// can meet the same window twice and count one dialog as two.
std::vector<HWND> WindowsTitled(const std::wstring& title) {
    TitleSearch search{&title, {}};
    EnumWindows(CollectTitled, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool IsMainDialog(HWND window) {
    return GetDlgItem(window, kMainDialogControl) != nullptr;
}

DWORD OwnerOf(HWND window) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    return processId;
}

void Press(HWND window, int controlId) {
    PostMessageW(GetDlgItem(window, controlId), BM_CLICK, 0, 0);
}

bool WaitEnded(const Process& process, DWORD milliseconds) {
    return WaitForSingleObject(process.handle.Get(), milliseconds) == WAIT_OBJECT_0;
}

// What one race showed.
struct RaceView {
    int mostMainDialogs = 0;
    int messageBoxesPressed = 0;
    int otherMessages = 0;
    HWND mainDialog = nullptr;
    size_t running = 0;
};

// A message box's text is its static control's, id 0xFFFF. The box may not be pumping
// messages yet, so the cross-process read gives up after a moment.
std::wstring MessageText(HWND box) {
    wchar_t text[512] = {};
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(GetDlgItem(box, 0xFFFF), WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text),
                        SMTO_ABORTIFHUNG, 200, &copied);
    return text;
}

// A message box seen during a race. It is pressed once its text was read (a box just
// created answers with no text yet), and again while it stays: a click posted while it
// was being created can be lost.
struct SeenBox {
    HWND window = nullptr;
    double firstSeen = 0;
    double lastPressed = -1;
    bool read = false;
};

void HandleMessageBox(HWND box, double now, const std::wstring& message, std::vector<SeenBox>& seen,
                      RaceView& view) {
    constexpr double kRepressMilliseconds = 500;
    constexpr double kReadMilliseconds = 5000;
    auto found =
        std::find_if(seen.begin(), seen.end(), [box](const SeenBox& b) { return b.window == box; });
    if (found == seen.end()) {
        seen.push_back(SeenBox{box, now});
        found = seen.end() - 1;
    }
    if (!found->read) {
        std::wstring text = MessageText(box);
        if (text.empty() && now - found->firstSeen < kReadMilliseconds) {
            return;
        }
        found->read = true;
        if (text.rfind(message, 0) != 0) {
            ++view.otherMessages;
            std::fwprintf(stderr, L"unexpected message box: [%ls]\n", text.c_str());
        }
    }
    if (found->lastPressed < 0 || now - found->lastPressed > kRepressMilliseconds) {
        found->lastPressed = now;
        Press(box, IDOK);
    }
}

// Polls until only the copy with the main dialog is left, or the time is up.
RaceView WatchRace(const std::vector<Process>& copies, const std::wstring& title,
                   const std::wstring& message, double seconds) {
    RaceView view;
    std::vector<SeenBox> seen;
    Clock clock;
    while (clock.Milliseconds() < seconds * 1000) {
        int mainDialogs = 0;
        view.mainDialog = nullptr;
        for (HWND window : WindowsTitled(title)) {
            if (IsMainDialog(window)) {
                ++mainDialogs;
                view.mainDialog = window;
            } else {
                HandleMessageBox(window, clock.Milliseconds(), message, seen, view);
            }
        }
        view.mostMainDialogs = std::max(view.mostMainDialogs, mainDialogs);
        view.running = static_cast<size_t>(std::count_if(
            copies.begin(), copies.end(), [](const Process& p) { return p.Running(); }));
        if (view.running <= 1 && mainDialogs == 1) {
            break;
        }
        if (view.running == 0) {
            break;
        }
        Sleep(kPollMilliseconds);
    }
    view.messageBoxesPressed = static_cast<int>(seen.size());
    return view;
}

HWND WaitMainDialog(const std::wstring& title, double seconds) {
    Clock clock;
    while (clock.Milliseconds() < seconds * 1000) {
        for (HWND window : WindowsTitled(title)) {
            if (IsMainDialog(window)) {
                return window;
            }
        }
        Sleep(kPollMilliseconds);
    }
    return nullptr;
}

// One trial: the race, the closing of the dialog, and a new start.
int Race(int copies, const std::wstring& title, const std::wstring& program,
         const std::wstring& message) {
    Clock clock;
    std::vector<Process> started(static_cast<size_t>(copies));
    for (Process& process : started) {
        if (!Start(Quoted(program), CREATE_SUSPENDED, process)) {
            return 2;
        }
    }
    for (const Process& process : started) {
        ResumeThread(process.thread.Get());
    }
    RaceView view = WatchRace(started, title, message, 60);
    std::vector<std::wstring> problems;
    if (view.otherMessages > 0) {
        problems.push_back(std::to_wstring(view.otherMessages) + L" other message(s)");
    }
    if (view.mostMainDialogs > 1) {
        problems.push_back(L"two main dialogs at once");
    }
    if (view.mainDialog == nullptr) {
        problems.push_back(L"no main dialog");
    }
    if (view.running != 1) {
        problems.push_back(std::to_wstring(view.running) + L" copies still running");
    }
    auto winner = std::find_if(started.begin(), started.end(),
                               [&](const Process& p) { return p.id == OwnerOf(view.mainDialog); });
    if (view.mainDialog != nullptr && (winner == started.end() || !winner->Running())) {
        problems.push_back(L"the dialog is not the running copy's");
    }
    double raceMs = clock.Milliseconds();

    if (view.mainDialog != nullptr) {
        Press(view.mainDialog, IDCANCEL);
    }
    for (const Process& process : started) {
        if (!WaitEnded(process, 20000)) {
            problems.push_back(L"a copy did not end after Cancel");
            TerminateProcess(process.handle.Get(), 1);
        }
    }
    Process again;
    if (!Start(Quoted(program), 0, again)) {
        return 2;
    }
    HWND dialog = WaitMainDialog(title, 30);
    if (dialog == nullptr) {
        problems.push_back(L"a start after all had ended showed no dialog");
    } else {
        Press(dialog, IDCANCEL);
    }
    if (!WaitEnded(again, 20000)) {
        problems.push_back(L"the new start did not end after Cancel");
        TerminateProcess(again.handle.Get(), 1);
    }
    std::wprintf(L"%ls: %d copies, %d main dialog(s) at most, %d message box(es) pressed, "
                 L"race settled in %.0f ms, trial %.0f ms",
                 problems.empty() ? L"held" : L"FAILED", copies, view.mostMainDialogs,
                 view.messageBoxesPressed, raceMs, clock.Milliseconds());
    for (const std::wstring& problem : problems) {
        std::wprintf(L"; %ls", problem.c_str());
    }
    std::wprintf(L"\n");
    return problems.empty() ? 0 : 1;
}

// A visible window with that title and a Cancel button: a dialog, not a message box.
HWND FindCancellable(const std::wstring& title) {
    for (HWND window : WindowsTitled(title)) {
        if (GetDlgItem(window, IDCANCEL) != nullptr) {
            return window;
        }
    }
    return nullptr;
}

// Milliseconds from CreateProcessW to the dialog, or a negative value on failure.
double TimeOneStart(const std::wstring& title, const std::wstring& program) {
    Clock clock;
    Process process;
    if (!Start(Quoted(program), 0, process)) {
        return -1;
    }
    HWND dialog = nullptr;
    while (dialog == nullptr && clock.Milliseconds() < 30000) {
        dialog = FindCancellable(title);
        if (dialog == nullptr) {
            Sleep(1);
        }
    }
    double shown = clock.Milliseconds();
    if (dialog != nullptr) {
        Press(dialog, IDCANCEL);
    }
    if (!WaitEnded(process, 20000)) {
        TerminateProcess(process.handle.Get(), 1);
        return -1;
    }
    return dialog != nullptr ? shown : -1;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// Programs take turns, so that a slow moment of the machine weighs on both alike.
int Time(int runs, const std::vector<std::wstring>& titlesAndPrograms) {
    size_t programs = titlesAndPrograms.size() / 2;
    std::vector<std::vector<double>> times(programs);
    for (int run = 0; run < runs; ++run) {
        for (size_t i = 0; i < programs; ++i) {
            double ms = TimeOneStart(titlesAndPrograms[2 * i], titlesAndPrograms[2 * i + 1]);
            if (ms < 0) {
                std::fwprintf(stderr, L"no dialog titled %ls\n", titlesAndPrograms[2 * i].c_str());
                return 1;
            }
            times[i].push_back(ms);
        }
    }
    for (size_t i = 0; i < programs; ++i) {
        std::wprintf(L"%ls: median %.1f ms over %d runs (min %.1f, max %.1f)\n",
                     titlesAndPrograms[2 * i].c_str(), Median(times[i]), runs,
                     *std::min_element(times[i].begin(), times[i].end()),
                     *std::max_element(times[i].begin(), times[i].end()));
    }
    return 0;
}

// The rest of this process's command line after its first two arguments, as typed.
std::wstring CommandLineAfter(int skipped) {
    const wchar_t* line = GetCommandLineW();
    for (int i = 0; i <= skipped; ++i) {
        bool quoted = false;
        for (; *line != 0 && (quoted || *line != L' '); ++line) {
            if (*line == L'"') {
                quoted = !quoted;
            }
        }
        while (*line == L' ') {
            ++line;
        }
    }
    return line;
}

int Without(const std::wstring& variable) {
    SetEnvironmentVariableW(variable.c_str(), nullptr);
    Process process;
    if (!Start(CommandLineAfter(2), 0, process)) {
        return 2;
    }
    WaitForSingleObject(process.handle.Get(), INFINITE);
    DWORD exitCode = 0;
    GetExitCodeProcess(process.handle.Get(), &exitCode);
    return static_cast<int>(exitCode);
}

int Usage() {
    std::fprintf(stderr, "usage: launcher race <copies> <title> <program> <message>\n"
                         "       launcher time <runs> <title> <program> [<title> <program>...]\n"
                         "       launcher without <variable> <program> [arguments]\n");
    return 64;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        return Usage();
    }
    std::wstring command = argv[1];
    if (command == L"race" && argc == 6) {
        return Race(_wtoi(argv[2]), argv[3], argv[4], argv[5]);
    }
    if (command == L"time" && argc >= 5 && argc % 2 == 1) {
        return Time(_wtoi(argv[2]), std::vector<std::wstring>(argv + 3, argv + argc));
    }
    if (command == L"without" && argc >= 4) {
        return Without(argv[2]);
    }
    return Usage();
}
