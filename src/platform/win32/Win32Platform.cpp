#include "platform/win32/Win32Platform.h"

#include <shellapi.h>
#include <stdlib.h>

// The seam's text is char16_t; Win32's is wchar_t. Both are UTF-16 code units on Windows,
// so pointers convert by reinterpret_cast.
static_assert(sizeof(wchar_t) == sizeof(char16_t) && alignof(wchar_t) == alignof(char16_t),
              "wchar_t must be a 16-bit code unit");

namespace {

LPCWSTR Wide(const wchar16* text) {
    return reinterpret_cast<LPCWSTR>(text);
}
LPWSTR Wide(wchar16* text) {
    return reinterpret_cast<LPWSTR>(text);
}

} // namespace

DWORD Win32Platform::GetLastError() {
    return ::GetLastError();
}

void Win32Platform::SetLastError(DWORD error) {
    ::SetLastError(error);
}

// ---- Registry --------------------------------------------------------------------------

LSTATUS Win32Platform::RegOpenKeyExW(HKEY root, const wchar16* subKey, DWORD options, REGSAM access,
                                     HKEY* result) {
    return ::RegOpenKeyExW(root, Wide(subKey), options, access, result);
}

LSTATUS Win32Platform::RegCreateKeyExW(HKEY root, const wchar16* subKey, DWORD options,
                                       REGSAM access, HKEY* result, DWORD* disposition) {
    return ::RegCreateKeyExW(root, Wide(subKey), 0, nullptr, options, access, nullptr, result,
                             disposition);
}

LSTATUS Win32Platform::RegQueryValueExW(HKEY key, const wchar16* valueName, DWORD* type, BYTE* data,
                                        DWORD* dataSize) {
    return ::RegQueryValueExW(key, Wide(valueName), nullptr, type, data, dataSize);
}

LSTATUS Win32Platform::RegSetValueExW(HKEY key, const wchar16* valueName, DWORD type,
                                      const BYTE* data, DWORD dataSize) {
    return ::RegSetValueExW(key, Wide(valueName), 0, type, data, dataSize);
}

LSTATUS Win32Platform::RegDeleteKeyW(HKEY root, const wchar16* subKey) {
    return ::RegDeleteKeyW(root, Wide(subKey));
}

LSTATUS Win32Platform::RegDeleteValueW(HKEY key, const wchar16* valueName) {
    return ::RegDeleteValueW(key, Wide(valueName));
}

LSTATUS Win32Platform::RegCloseKey(HKEY key) {
    return ::RegCloseKey(key);
}

// ---- Device setup and configuration manager ---------------------------------------------

HDEVINFO Win32Platform::SetupDiGetClassDevsW(const GUID* classGuid, const wchar16* enumerator,
                                             HWND parent, DWORD flags) {
    return ::SetupDiGetClassDevsW(classGuid, Wide(enumerator), parent, flags);
}

BOOL Win32Platform::SetupDiEnumDeviceInfo(HDEVINFO set, DWORD memberIndex,
                                          SP_DEVINFO_DATA* deviceInfo) {
    return ::SetupDiEnumDeviceInfo(set, memberIndex, deviceInfo);
}

BOOL Win32Platform::SetupDiGetDeviceInstanceIdW(HDEVINFO set, SP_DEVINFO_DATA* deviceInfo,
                                                wchar16* buffer, DWORD bufferChars,
                                                DWORD* requiredChars) {
    return ::SetupDiGetDeviceInstanceIdW(set, deviceInfo, Wide(buffer), bufferChars, requiredChars);
}

BOOL Win32Platform::SetupDiDestroyDeviceInfoList(HDEVINFO set) {
    return ::SetupDiDestroyDeviceInfoList(set);
}

CONFIGRET Win32Platform::CM_Locate_DevNodeW(DEVINST* devInst, const wchar16* deviceId,
                                            ULONG flags) {
    // The header takes a non-const ID; the function only reads it.
    return ::CM_Locate_DevNodeW(devInst, const_cast<LPWSTR>(Wide(deviceId)), flags);
}

CONFIGRET Win32Platform::CM_Get_Parent(DEVINST* parent, DEVINST devInst, ULONG flags) {
    return ::CM_Get_Parent(parent, devInst, flags);
}

CONFIGRET Win32Platform::CM_Get_Device_IDW(DEVINST devInst, wchar16* buffer, ULONG bufferChars,
                                           ULONG flags) {
    return ::CM_Get_Device_IDW(devInst, Wide(buffer), bufferChars, flags);
}

// ---- Volumes and DOS devices -------------------------------------------------------------

BOOL Win32Platform::GetVolumeNameForVolumeMountPointW(const wchar16* mountPoint,
                                                      wchar16* volumeName, DWORD volumeNameChars) {
    return ::GetVolumeNameForVolumeMountPointW(Wide(mountPoint), Wide(volumeName), volumeNameChars);
}

DWORD Win32Platform::QueryDosDeviceW(const wchar16* deviceName, wchar16* targetPath,
                                     DWORD targetChars) {
    return ::QueryDosDeviceW(Wide(deviceName), Wide(targetPath), targetChars);
}

// ---- Text and identifiers ---------------------------------------------------------------

wchar16* Win32Platform::CharUpperW(wchar16* text) {
    return reinterpret_cast<wchar16*>(::CharUpperW(Wide(text)));
}

HRESULT Win32Platform::CLSIDFromString(const wchar16* text, CLSID* clsid) {
    return ::CLSIDFromString(Wide(text), clsid);
}

// ---- System information ------------------------------------------------------------------

BOOL Win32Platform::GetVersionExW(OSVERSIONINFOEXW* info) {
    return ::GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(info));
}

int Win32Platform::GetSystemMetrics(int index) {
    return ::GetSystemMetrics(index);
}

HMODULE Win32Platform::GetModuleHandleW(const wchar16* moduleName) {
    return ::GetModuleHandleW(Wide(moduleName));
}

FARPROC Win32Platform::GetProcAddress(HMODULE module, const char* procName) {
    return ::GetProcAddress(module, procName);
}

// ---- Kernel objects and security ------------------------------------------------------------

HANDLE Win32Platform::CreateMutexW(void* attributes, BOOL initialOwner, const wchar16* name) {
    return ::CreateMutexW(static_cast<LPSECURITY_ATTRIBUTES>(attributes), initialOwner, Wide(name));
}

BOOL Win32Platform::ReleaseMutex(HANDLE mutex) {
    return ::ReleaseMutex(mutex);
}

BOOL Win32Platform::CloseHandle(HANDLE handle) {
    return ::CloseHandle(handle);
}

BOOL Win32Platform::AllocateAndInitializeSid(SID_IDENTIFIER_AUTHORITY* authority, BYTE subCount,
                                             DWORD sub0, DWORD sub1, DWORD sub2, DWORD sub3,
                                             DWORD sub4, DWORD sub5, DWORD sub6, DWORD sub7,
                                             PSID* sid) {
    return ::AllocateAndInitializeSid(authority, subCount, sub0, sub1, sub2, sub3, sub4, sub5, sub6,
                                      sub7, sid);
}

BOOL Win32Platform::CheckTokenMembership(HANDLE token, PSID sid, BOOL* isMember) {
    return ::CheckTokenMembership(token, sid, isMember);
}

void* Win32Platform::FreeSid(PSID sid) {
    return ::FreeSid(sid);
}

// ---- Shell and environment ----------------------------------------------------------------

HINSTANCE Win32Platform::ShellExecuteW(HWND owner, const wchar16* verb, const wchar16* file,
                                       const wchar16* parameters, const wchar16* directory,
                                       int showCommand) {
    return ::ShellExecuteW(owner, Wide(verb), Wide(file), Wide(parameters), Wide(directory),
                           showCommand);
}

errno_t Win32Platform::_wgetenv_s(size_t* requiredChars, wchar16* buffer, size_t bufferChars,
                                  const wchar16* name) {
    return ::_wgetenv_s(requiredChars, Wide(buffer), bufferChars, Wide(name));
}

// ---- Windows and dialogs -------------------------------------------------------------------

INT_PTR Win32Platform::DialogBoxParamW(HINSTANCE instance, const wchar16* templateName, HWND owner,
                                       DLGPROC dialogProc, LPARAM initParam) {
    return ::DialogBoxParamW(instance, Wide(templateName), owner, dialogProc, initParam);
}

BOOL Win32Platform::EndDialog(HWND dialog, INT_PTR result) {
    return ::EndDialog(dialog, result);
}

HWND Win32Platform::GetDlgItem(HWND dialog, int controlId) {
    return ::GetDlgItem(dialog, controlId);
}

LRESULT Win32Platform::SendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return ::SendMessageW(window, message, wParam, lParam);
}

BOOL Win32Platform::SetWindowTextW(HWND window, const wchar16* text) {
    return ::SetWindowTextW(window, Wide(text));
}

int Win32Platform::GetWindowTextW(HWND window, wchar16* buffer, int bufferChars) {
    return ::GetWindowTextW(window, Wide(buffer), bufferChars);
}

int Win32Platform::GetWindowTextLengthW(HWND window) {
    return ::GetWindowTextLengthW(window);
}

BOOL Win32Platform::EnableWindow(HWND window, BOOL enable) {
    return ::EnableWindow(window, enable);
}

int Win32Platform::MessageBoxW(HWND owner, const wchar16* text, const wchar16* caption,
                               UINT style) {
    return ::MessageBoxW(owner, Wide(text), Wide(caption), style);
}

HWND Win32Platform::FindWindowW(const wchar16* className, const wchar16* windowName) {
    return ::FindWindowW(Wide(className), Wide(windowName));
}

HWND Win32Platform::FindWindowExW(HWND parent, HWND childAfter, const wchar16* className,
                                  const wchar16* windowName) {
    return ::FindWindowExW(parent, childAfter, Wide(className), Wide(windowName));
}

BOOL Win32Platform::IsIconic(HWND window) {
    return ::IsIconic(window);
}

BOOL Win32Platform::ShowWindow(HWND window, int showCommand) {
    return ::ShowWindow(window, showCommand);
}

BOOL Win32Platform::SetForegroundWindow(HWND window) {
    return ::SetForegroundWindow(window);
}

HMENU Win32Platform::GetSystemMenu(HWND window, BOOL revert) {
    return ::GetSystemMenu(window, revert);
}

BOOL Win32Platform::InsertMenuW(HMENU menu, UINT position, UINT flags, UINT_PTR itemId,
                                const wchar16* text) {
    return ::InsertMenuW(menu, position, flags, itemId, Wide(text));
}

BOOL Win32Platform::DestroyMenu(HMENU menu) {
    return ::DestroyMenu(menu);
}

// ---- Painting ------------------------------------------------------------------------------

HDC Win32Platform::BeginPaint(HWND window, PAINTSTRUCT* paint) {
    return ::BeginPaint(window, paint);
}

BOOL Win32Platform::EndPaint(HWND window, const PAINTSTRUCT* paint) {
    return ::EndPaint(window, paint);
}

BOOL Win32Platform::GetClientRect(HWND window, RECT* rect) {
    return ::GetClientRect(window, rect);
}

BOOL Win32Platform::DrawIcon(HDC dc, int x, int y, HICON icon) {
    return ::DrawIcon(dc, x, y, icon);
}

// ---- Resources -----------------------------------------------------------------------------

HICON Win32Platform::LoadIconW(HINSTANCE instance, const wchar16* iconName) {
    return ::LoadIconW(instance, Wide(iconName));
}

int Win32Platform::LoadStringW(HINSTANCE instance, UINT id, wchar16* buffer, int bufferChars) {
    return ::LoadStringW(instance, id, Wide(buffer), bufferChars);
}

Platform& Win32PlatformInstance() {
    static Win32Platform instance;
    return instance;
}
