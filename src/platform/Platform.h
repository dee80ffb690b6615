#pragma once
// The seam between the program's logic and the operating system. Each operation
// mirrors the Win32 call of the same name: same inputs, outputs, status codes and
// last-error values. The Windows build forwards to the real calls; tests plug in an
// in-memory machine. Reserved parameters that the program always passes as null or
// zero are left out.

#include "platform/WinTypes.h"

class Platform {
public:
    Platform() = default;
    Platform(const Platform&) = delete;
    Platform& operator=(const Platform&) = delete;
    virtual ~Platform() = default;

    // Thread error state.
    virtual DWORD GetLastError() = 0;
    virtual void SetLastError(DWORD error) = 0;

    // Registry. Status codes as the registry returns them (ERROR_SUCCESS, ERROR_MORE_DATA, ...).
    virtual LSTATUS RegOpenKeyExW(HKEY root, const wchar16* subKey, DWORD options, REGSAM access,
                                  HKEY* result) = 0;
    virtual LSTATUS RegCreateKeyExW(HKEY root, const wchar16* subKey, DWORD options,
                                    REGSAM access, HKEY* result, DWORD* disposition) = 0;
    virtual LSTATUS RegQueryValueExW(HKEY key, const wchar16* valueName, DWORD* type, BYTE* data,
                                     DWORD* dataSize) = 0;
    virtual LSTATUS RegSetValueExW(HKEY key, const wchar16* valueName, DWORD type,
                                   const BYTE* data, DWORD dataSize) = 0;
    virtual LSTATUS RegDeleteKeyW(HKEY root, const wchar16* subKey) = 0;
    virtual LSTATUS RegDeleteValueW(HKEY key, const wchar16* valueName) = 0;
    virtual LSTATUS RegCloseKey(HKEY key) = 0;

    // Device setup. A failed SetupDiGetClassDevsW returns INVALID_HANDLE_VALUE.
    virtual HDEVINFO SetupDiGetClassDevsW(const GUID* classGuid, const wchar16* enumerator,
                                          HWND parent, DWORD flags) = 0;
    virtual BOOL SetupDiEnumDeviceInfo(HDEVINFO set, DWORD memberIndex,
                                       SP_DEVINFO_DATA* deviceInfo) = 0;
    virtual BOOL SetupDiGetDeviceInstanceIdW(HDEVINFO set, SP_DEVINFO_DATA* deviceInfo,
                                             wchar16* buffer, DWORD bufferChars,
                                             DWORD* requiredChars) = 0;
    virtual BOOL SetupDiDestroyDeviceInfoList(HDEVINFO set) = 0;

    // Configuration manager.
    virtual CONFIGRET CM_Locate_DevNodeW(DEVINST* devInst, const wchar16* deviceId,
                                         ULONG flags) = 0;
    virtual CONFIGRET CM_Get_Parent(DEVINST* parent, DEVINST devInst, ULONG flags) = 0;
    virtual CONFIGRET CM_Get_Device_IDW(DEVINST devInst, wchar16* buffer, ULONG bufferChars,
                                        ULONG flags) = 0;

    // Volumes and DOS devices.
    virtual BOOL GetVolumeNameForVolumeMountPointW(const wchar16* mountPoint, wchar16* volumeName,
                                                   DWORD volumeNameChars) = 0;
    virtual DWORD QueryDosDeviceW(const wchar16* deviceName, wchar16* targetPath,
                                  DWORD targetChars) = 0;

    // Text and identifiers.
    virtual wchar16* CharUpperW(wchar16* text) = 0;
    virtual HRESULT CLSIDFromString(const wchar16* text, CLSID* clsid) = 0;

    // System information. GetVersionExW reads the basic or the extended record,
    // as its size field says.
    virtual BOOL GetVersionExW(OSVERSIONINFOEXW* info) = 0;
    virtual int GetSystemMetrics(int index) = 0;
    virtual HMODULE GetModuleHandleW(const wchar16* moduleName) = 0;
    virtual FARPROC GetProcAddress(HMODULE module, const char* procName) = 0;

    // Kernel objects.
    virtual HANDLE CreateMutexW(void* attributes, BOOL initialOwner, const wchar16* name) = 0;
    virtual BOOL ReleaseMutex(HANDLE mutex) = 0;
    virtual BOOL CloseHandle(HANDLE handle) = 0;

    // Security.
    virtual BOOL AllocateAndInitializeSid(SID_IDENTIFIER_AUTHORITY* authority, BYTE subCount,
                                          DWORD sub0, DWORD sub1, DWORD sub2, DWORD sub3,
                                          DWORD sub4, DWORD sub5, DWORD sub6, DWORD sub7,
                                          PSID* sid) = 0;
    virtual BOOL CheckTokenMembership(HANDLE token, PSID sid, BOOL* isMember) = 0;
    virtual void* FreeSid(PSID sid) = 0;

    // Shell and environment. ShellExecuteW reports success with a value above 32.
    virtual HINSTANCE ShellExecuteW(HWND owner, const wchar16* verb, const wchar16* file,
                                    const wchar16* parameters, const wchar16* directory,
                                    int showCommand) = 0;
    virtual errno_t _wgetenv_s(size_t* requiredChars, wchar16* buffer, size_t bufferChars,
                               const wchar16* name) = 0;

    // Windows and dialogs.
    virtual INT_PTR DialogBoxParamW(HINSTANCE instance, const wchar16* templateName, HWND owner,
                                    DLGPROC dialogProc, LPARAM initParam) = 0;
    virtual BOOL EndDialog(HWND dialog, INT_PTR result) = 0;
    virtual HWND GetDlgItem(HWND dialog, int controlId) = 0;
    virtual LRESULT SendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) = 0;
    virtual BOOL SetWindowTextW(HWND window, const wchar16* text) = 0;
    virtual int GetWindowTextW(HWND window, wchar16* buffer, int bufferChars) = 0;
    virtual int GetWindowTextLengthW(HWND window) = 0;
    virtual BOOL EnableWindow(HWND window, BOOL enable) = 0;
    virtual int MessageBoxW(HWND owner, const wchar16* text, const wchar16* caption,
                            UINT style) = 0;
    virtual HWND FindWindowW(const wchar16* className, const wchar16* windowName) = 0;
    virtual HWND FindWindowExW(HWND parent, HWND childAfter, const wchar16* className,
                               const wchar16* windowName) = 0;
    virtual BOOL IsIconic(HWND window) = 0;
    virtual BOOL ShowWindow(HWND window, int showCommand) = 0;
    virtual BOOL SetForegroundWindow(HWND window) = 0;
    virtual HMENU GetSystemMenu(HWND window, BOOL revert) = 0;
    virtual BOOL InsertMenuW(HMENU menu, UINT position, UINT flags, UINT_PTR itemId,
                             const wchar16* text) = 0;
    virtual BOOL DestroyMenu(HMENU menu) = 0;

    // Painting.
    virtual HDC BeginPaint(HWND window, PAINTSTRUCT* paint) = 0;
    virtual BOOL EndPaint(HWND window, const PAINTSTRUCT* paint) = 0;
    virtual BOOL GetClientRect(HWND window, RECT* rect) = 0;
    virtual BOOL DrawIcon(HDC dc, int x, int y, HICON icon) = 0;

    // Resources: the loader picks the user-interface language's resources, English
    // when none matches.
    virtual HICON LoadIconW(HINSTANCE instance, const wchar16* iconName) = 0;
    virtual int LoadStringW(HINSTANCE instance, UINT id, wchar16* buffer, int bufferChars) = 0;
};

// The platform the program runs on. main() installs the real one; tests swap in
// an in-memory machine with ScopedPlatform.
Platform& platform();
void InstallPlatform(Platform* platform);

class ScopedPlatform {
public:
    explicit ScopedPlatform(Platform& replacement);
    ~ScopedPlatform();
    ScopedPlatform(const ScopedPlatform&) = delete;
    ScopedPlatform& operator=(const ScopedPlatform&) = delete;

private:
    Platform* m_previous;
};
