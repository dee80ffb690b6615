#include "ui/AssignChange.h"

#include "common/ScopedWin.h"
#include "locator/CDAccess.h"
#include "registry/Reg.h"
#include "res/resource.h"
#include "ui/DialogRules.h"
#include "ui/framework/WinApp.h"

namespace {

// When the user is told that the change still runs.
constexpr DWORD kStillRunningAfterMs = 60000;
// Two list items ("E:") and a space.
constexpr size_t kParametersCapacity = 16;

// Windows Vista and later list the window, with the reason, among those that keep the
// session from ending; Windows XP has neither function and goes by WM_QUERYENDSESSION alone.
class CShutdownBlock {
public:
    CShutdownBlock(HWND hWnd, UINT nReasonId) : m_hWnd(hWnd) {
        auto pfnCreate = LookUp<BOOL(WINAPI*)(HWND, LPCWSTR)>(GetModuleHandleW(L"user32.dll"),
                                                              "ShutdownBlockReasonCreate");
        m_bCreated = pfnCreate != nullptr && pfnCreate(hWnd, CResourceString(nReasonId));
    }
    ~CShutdownBlock() {
        auto pfnDestroy = LookUp<BOOL(WINAPI*)(HWND)>(GetModuleHandleW(L"user32.dll"),
                                                      "ShutdownBlockReasonDestroy");
        if (m_bCreated && pfnDestroy != nullptr) {
            pfnDestroy(m_hWnd);
        }
    }
    CShutdownBlock(const CShutdownBlock&) = delete;
    CShutdownBlock& operator=(const CShutdownBlock&) = delete;

private:
    HWND m_hWnd;
    bool m_bCreated;
};

// The 32-bit program-files folder as the system records it: the process's view of the key
// is the 32-bit one, whose value names "Program Files (x86)" on 64-bit Windows. The
// ProgramFiles variable names the same folder, but whoever elevates the program sets it.
bool ReadProgramFilesFolder(wchar16 (&szFolder)[MAX_PATH]) {
    DWORD cbFolder = sizeof(szFolder);
    CReg reg;
    if (!reg.ReadString(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
                        u"ProgramFilesDir", szFolder, &cbFolder)) {
        return false;
    }
    TerminateStoredText(szFolder, MAX_PATH, cbFolder);
    return true;
}

// The batch file's path, or false when there is none to run.
bool FindAssignBatch(wchar16 (&szPath)[MAX_PATH]) {
    wchar16 szFolder[MAX_PATH];
    if (!ReadProgramFilesFolder(szFolder) || !BatchPath(szFolder, szPath, MAX_PATH)) {
        return false;
    }
    DWORD dwAttributes = GetFileAttributesW(AsWide(szPath));
    return dwAttributes != INVALID_FILE_ATTRIBUTES &&
           (dwAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// cmd.exe and the batch file go by SystemRoot and ComSpec, which this process inherited
// from the session that elevated it: the child gets the system's own values instead.
bool SetSystemEnvironment(const wchar16* pszCommandProcessor) {
    wchar_t szWindows[MAX_PATH];
    UINT cchWindows = GetSystemWindowsDirectoryW(szWindows, MAX_PATH);
    return cchWindows != 0 && cchWindows < MAX_PATH &&
           SetEnvironmentVariableW(L"SystemRoot", szWindows) &&
           SetEnvironmentVariableW(L"ComSpec", AsWide(pszCommandProcessor));
}

// Starts the batch file hidden, in the system folder; null when it cannot.
HANDLE StartAssignBatch(const wchar16* pszPath, const wchar16* pszCurrent, const wchar16* pszNew) {
    wchar16 szSystem[MAX_PATH];
    UINT cchSystem = GetSystemDirectoryW(AsWide(szSystem), MAX_PATH);
    wchar16 szCommandProcessor[MAX_PATH];
    wchar16 szParameters[kParametersCapacity];
    wchar16 szCommandLine[3 * MAX_PATH];
    if (cchSystem == 0 || cchSystem >= MAX_PATH ||
        !CommandProcessorPath(szSystem, szCommandProcessor, MAX_PATH) ||
        !BatchParameters(pszCurrent, pszNew, szParameters, kParametersCapacity) ||
        !BatchCommandLine(szCommandProcessor, pszPath, szParameters, szCommandLine,
                          ARRAYSIZE(szCommandLine)) ||
        !SetSystemEnvironment(szCommandProcessor)) {
        return nullptr;
    }
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(AsWide(szCommandProcessor), AsWide(szCommandLine), nullptr, nullptr, FALSE,
                        CREATE_NO_WINDOW, nullptr, AsWide(szSystem), &startup, &process)) {
        return nullptr;
    }
    CloseHandle(process.hThread);
    return process.hProcess;
}

void DispatchWaitingMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// Serves the thread's windows until the process ends. When it still runs after the first
// minute, the user is told so once, and the wait goes on without a limit.
void WaitServingWindows(HANDLE hProcess, HWND hDialog) {
    const DWORD dwStart = GetTickCount();
    bool bTold = false;
    for (;;) {
        DWORD dwLeft =
            bTold ? INFINITE : WaitTimeLeft(dwStart, GetTickCount(), kStillRunningAfterMs);
        DWORD dwWait = MsgWaitForMultipleObjects(1, &hProcess, FALSE, dwLeft, QS_ALLINPUT);
        if (dwWait == WAIT_OBJECT_0) {
            return;
        }
        if (dwWait == WAIT_TIMEOUT) {
            bTold = true;
            MessageBoxW(hDialog, CResourceString(IDS_CHANGE_TIMEOUT),
                        CResourceString(IDS_APP_TITLE), MB_OK | MB_ICONWARNING | MB_TOPMOST);
        } else if (dwWait == WAIT_OBJECT_0 + 1) {
            DispatchWaitingMessages();
        } else {
            // The wait itself failed: still, nothing may end before the batch file.
            WaitForSingleObject(hProcess, INFINITE);
            return;
        }
    }
}

} // namespace

CChangeResult RunAssignChange(HWND hDialog, const wchar16* pszCurrent, const wchar16* pszNew) {
    wchar16 szPath[MAX_PATH];
    if (!FindAssignBatch(szPath)) {
        return {CChangeResult::BatchMissing};
    }
    CScopedHandle process(StartAssignBatch(szPath, pszCurrent, pszNew));
    if (process.Get() == nullptr) {
        return {CChangeResult::NotStarted};
    }
    {
        CShutdownBlock block(hDialog, IDS_CHANGE_RUNNING);
        WaitServingWindows(process.Get(), hDialog);
    }
    // A code that cannot be read stays STILL_ACTIVE, which the batch file never gives.
    DWORD dwExitCode = STILL_ACTIVE;
    GetExitCodeProcess(process.Get(), &dwExitCode);
    CChangeResult result = {CChangeResult::Ended, dwExitCode};
    if (ShouldLookForDriveAgain(result)) {
        wchar16 chLetter = 0;
        result.bDriveHasLetter = GetInternalDriveLetter(&chLetter) != FALSE;
    }
    return result;
}
