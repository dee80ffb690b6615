// Times how long programs take to start: from CreateProcessW to a visible window of the
// process with a Cancel button (its dialog shown), ending the process then. The programs
// take turns, so that a slow moment of the machine weighs on each alike.
//   starttime <runs> <program>...
// Prints a line per program: "<file name>: median M ms over N runs (min A, max B)". A start
// that showed no dialog within 30 s counts as -1 ms and makes the exit code 1. Programs are
// started, watched and ended with the Wine tests' own helpers.

#include "WineMachine.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

double Milliseconds() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return std::chrono::duration<double, std::milli>(now).count();
}

// Milliseconds from CreateProcessW to the program's dialog shown, or -1.
double StartToDialog(const std::wstring& program) {
    const double start = Milliseconds();
    wine_machine::CStartedProcess process;
    if (!process.Start(L"\"" + program + L"\"")) {
        return -1;
    }
    while (Milliseconds() - start < 30000) {
        if (wine_machine::ShowsControl(process, IDCANCEL)) {
            return Milliseconds() - start;
        }
        Sleep(1);
    }
    return -1;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const int runs = argc > 2 ? _wtoi(argv[1]) : 0;
    if (runs < 1) {
        std::fputs("usage: starttime <runs> <program>...\n", stderr);
        return 64;
    }
    std::vector<std::vector<double>> times(static_cast<size_t>(argc - 2));
    for (int run = 0; run < runs; ++run) {
        for (size_t i = 0; i < times.size(); ++i) {
            times[i].push_back(StartToDialog(argv[i + 2]));
        }
    }
    bool allShown = true;
    for (size_t i = 0; i < times.size(); ++i) {
        std::vector<double>& t = times[i];
        std::sort(t.begin(), t.end());
        const wchar_t* name = std::wcsrchr(argv[i + 2], L'\\');
        std::printf("%ls: median %.1f ms over %d runs (min %.1f, max %.1f)\n",
                    name ? name + 1 : argv[i + 2], t[t.size() / 2], runs, t.front(), t.back());
        allShown = allShown && t.front() >= 0;
    }
    return allShown ? 0 : 1;
}
