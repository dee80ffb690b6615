// Starts a program with the Administrators group disabled in its token, the way a
// standard user's process looks, and waits for it:  runrestricted <program> [args...]

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

class CScopedHandle {
public:
    CScopedHandle() = default;
    ~CScopedHandle() {
        if (m_handle != nullptr) {
            CloseHandle(m_handle);
        }
    }
    CScopedHandle(const CScopedHandle&) = delete;
    CScopedHandle& operator=(const CScopedHandle&) = delete;
    HANDLE* Receive() { return &m_handle; }
    HANDLE Get() const { return m_handle; }

private:
    HANDLE m_handle = nullptr;
};

std::wstring CommandLineAfterFirstArgument() {
    const wchar_t* line = GetCommandLineW();
    bool quoted = false;
    for (; *line != 0; ++line) {
        if (*line == L'"') {
            quoted = !quoted;
        } else if (*line == L' ' && !quoted) {
            break;
        }
    }
    while (*line == L' ') {
        ++line;
    }
    return line;
}

} // namespace

int main() {
    std::wstring commandLine = CommandLineAfterFirstArgument();
    if (commandLine.empty()) {
        std::fprintf(stderr, "usage: runrestricted <program> [args...]\n");
        return 64;
    }
    CScopedHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ALL_ACCESS, token.Receive())) {
        return 2;
    }
    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    PSID administrators = nullptr;
    if (!AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                  DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0, &administrators)) {
        return 2;
    }
    SID_AND_ATTRIBUTES disabled = {administrators, 0};
    CScopedHandle restricted;
    BOOL made = CreateRestrictedToken(token.Get(), 0, 1, &disabled, 0, nullptr, 0, nullptr,
                                      restricted.Receive());
    FreeSid(administrators);
    if (!made) {
        return 2;
    }
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessAsUserW(restricted.Get(), nullptr, &commandLine[0], nullptr, nullptr, FALSE,
                              0, nullptr, nullptr, &startup, &process)) {
        std::fprintf(stderr, "CreateProcessAsUserW failed: %lu\n", GetLastError());
        return 2;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD exitCode = 0;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(exitCode);
}
