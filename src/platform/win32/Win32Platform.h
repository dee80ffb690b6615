#pragma once
// The real platform: every seam operation forwards to the Win32 call of the same name.
// Windows build only.

#include "platform/Platform.h"

class Win32Platform : public Platform {
public:
    DWORD GetLastError() override;
    void SetLastError(DWORD error) override;

    LSTATUS RegOpenKeyExW(HKEY root, const wchar16* subKey, DWORD options, REGSAM access,
                          HKEY* result) override;
    LSTATUS RegCreateKeyExW(HKEY root, const wchar16* subKey, DWORD options, REGSAM access,
                            HKEY* result, DWORD* disposition) override;
    LSTATUS RegQueryValueExW(HKEY key, const wchar16* valueName, DWORD* type, BYTE* data,
                             DWORD* dataSize) override;
    LSTATUS RegSetValueExW(HKEY key, const wchar16* valueName, DWORD type, const BYTE* data,
                           DWORD dataSize) override;
    LSTATUS RegDeleteKeyW(HKEY root, const wchar16* subKey) override;
    LSTATUS RegDeleteValueW(HKEY key, const wchar16* valueName) override;
    LSTATUS RegCloseKey(HKEY key) override;

    HDEVINFO SetupDiGetClassDevsW(const GUID* classGuid, const wchar16* enumerator, HWND parent,
                                  DWORD flags) override;
    BOOL SetupDiEnumDeviceInfo(HDEVINFO set, DWORD memberIndex,
                               SP_DEVINFO_DATA* deviceInfo) override;
    BOOL SetupDiGetDeviceInstanceIdW(HDEVINFO set, SP_DEVINFO_DATA* deviceInfo, wchar16* buffer,
                                     DWORD bufferChars, DWORD* requiredChars) override;
    BOOL SetupDiDestroyDeviceInfoList(HDEVINFO set) override;

    CONFIGRET CM_Locate_DevNodeW(DEVINST* devInst, const wchar16* deviceId, ULONG flags) override;
    CONFIGRET CM_Get_Parent(DEVINST* parent, DEVINST devInst, ULONG flags) override;
    CONFIGRET CM_Get_Device_IDW(DEVINST devInst, wchar16* buffer, ULONG bufferChars,
                                ULONG flags) override;

    BOOL GetVolumeNameForVolumeMountPointW(const wchar16* mountPoint, wchar16* volumeName,
                                           DWORD volumeNameChars) override;
    DWORD QueryDosDeviceW(const wchar16* deviceName, wchar16* targetPath,
                          DWORD targetChars) override;

    wchar16* CharUpperW(wchar16* text) override;
    HRESULT CLSIDFromString(const wchar16* text, CLSID* clsid) override;

    BOOL GetVersionExW(OSVERSIONINFOEXW* info) override;
    int GetSystemMetrics(int index) override;
    HMODULE GetModuleHandleW(const wchar16* moduleName) override;
    FARPROC GetProcAddress(HMODULE module, const char* procName) override;

    HANDLE CreateMutexW(void* attributes, BOOL initialOwner, const wchar16* name) override;
    BOOL ReleaseMutex(HANDLE mutex) override;
    BOOL CloseHandle(HANDLE handle) override;

    BOOL AllocateAndInitializeSid(SID_IDENTIFIER_AUTHORITY* authority, BYTE subCount, DWORD sub0,
                                  DWORD sub1, DWORD sub2, DWORD sub3, DWORD sub4, DWORD sub5,
                                  DWORD sub6, DWORD sub7, PSID* sid) override;
    BOOL CheckTokenMembership(HANDLE token, PSID sid, BOOL* isMember) override;
    void* FreeSid(PSID sid) override;

    HINSTANCE ShellExecuteW(HWND owner, const wchar16* verb, const wchar16* file,
                            const wchar16* parameters, const wchar16* directory,
                            int showCommand) override;
    errno_t _wgetenv_s(size_t* requiredChars, wchar16* buffer, size_t bufferChars,
                       const wchar16* name) override;

    INT_PTR DialogBoxParamW(HINSTANCE instance, const wchar16* templateName, HWND owner,
                            DLGPROC dialogProc, LPARAM initParam) override;
    BOOL EndDialog(HWND dialog, INT_PTR result) override;
    HWND GetDlgItem(HWND dialog, int controlId) override;
    LRESULT SendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL SetWindowTextW(HWND window, const wchar16* text) override;
    int GetWindowTextW(HWND window, wchar16* buffer, int bufferChars) override;
    int GetWindowTextLengthW(HWND window) override;
    BOOL EnableWindow(HWND window, BOOL enable) override;
    int MessageBoxW(HWND owner, const wchar16* text, const wchar16* caption, UINT style) override;
    HWND FindWindowW(const wchar16* className, const wchar16* windowName) override;
    HWND FindWindowExW(HWND parent, HWND childAfter, const wchar16* className,
                       const wchar16* windowName) override;
    BOOL IsIconic(HWND window) override;
    BOOL ShowWindow(HWND window, int showCommand) override;
    BOOL SetForegroundWindow(HWND window) override;
    HMENU GetSystemMenu(HWND window, BOOL revert) override;
    BOOL InsertMenuW(HMENU menu, UINT position, UINT flags, UINT_PTR itemId,
                     const wchar16* text) override;
    BOOL DestroyMenu(HMENU menu) override;

    HDC BeginPaint(HWND window, PAINTSTRUCT* paint) override;
    BOOL EndPaint(HWND window, const PAINTSTRUCT* paint) override;
    BOOL GetClientRect(HWND window, RECT* rect) override;
    BOOL DrawIcon(HDC dc, int x, int y, HICON icon) override;

    HICON LoadIconW(HINSTANCE instance, const wchar16* iconName) override;
    int LoadStringW(HINSTANCE instance, UINT id, wchar16* buffer, int bufferChars) override;
};

// The process's one Win32Platform, for main()/WinMain to install.
Platform& Win32PlatformInstance();
