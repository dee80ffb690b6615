#include "machine/MachineSystem.h"

// Placeholder bodies: every call fails until the window system is written.

struct MachineSystem::SystemState {};
MachineSystem::MachineSystem() : m_system(std::make_unique<SystemState>()) {}
MachineSystem::~MachineSystem() = default;
BOOL MachineSystem::GetVersionExW(OSVERSIONINFOEXW* info) {
    (void)info;
    return 0;
}
int MachineSystem::GetSystemMetrics(int index) {
    (void)index;
    return 0;
}
HMODULE MachineSystem::GetModuleHandleW(const wchar16* moduleName) {
    (void)moduleName;
    return nullptr;
}
FARPROC MachineSystem::GetProcAddress(HMODULE module, const char* procName) {
    (void)module;
    (void)procName;
    return nullptr;
}
HANDLE MachineSystem::CreateMutexW(void* attributes, BOOL initialOwner, const wchar16* name) {
    (void)attributes;
    (void)initialOwner;
    (void)name;
    return nullptr;
}
BOOL MachineSystem::ReleaseMutex(HANDLE mutex) {
    (void)mutex;
    return 0;
}
BOOL MachineSystem::CloseHandle(HANDLE handle) {
    (void)handle;
    return 0;
}
BOOL MachineSystem::AllocateAndInitializeSid(SID_IDENTIFIER_AUTHORITY* authority, BYTE subCount,
                                             DWORD sub0, DWORD sub1, DWORD sub2, DWORD sub3,
                                             DWORD sub4, DWORD sub5, DWORD sub6, DWORD sub7,
                                             PSID* sid) {
    (void)authority;
    (void)subCount;
    (void)sub0;
    (void)sub1;
    (void)sub2;
    (void)sub3;
    (void)sub4;
    (void)sub5;
    (void)sub6;
    (void)sub7;
    (void)sid;
    return 0;
}
BOOL MachineSystem::CheckTokenMembership(HANDLE token, PSID sid, BOOL* isMember) {
    (void)token;
    (void)sid;
    (void)isMember;
    return 0;
}
void* MachineSystem::FreeSid(PSID sid) {
    (void)sid;
    return nullptr;
}
HINSTANCE MachineSystem::ShellExecuteW(HWND owner, const wchar16* verb, const wchar16* file,
                                       const wchar16* parameters, const wchar16* directory,
                                       int showCommand) {
    (void)owner;
    (void)verb;
    (void)file;
    (void)parameters;
    (void)directory;
    (void)showCommand;
    return nullptr;
}
errno_t MachineSystem::_wgetenv_s(size_t* requiredChars, wchar16* buffer, size_t bufferChars,
                                  const wchar16* name) {
    (void)requiredChars;
    (void)buffer;
    (void)bufferChars;
    (void)name;
    return 0;
}
INT_PTR MachineSystem::DialogBoxParamW(HINSTANCE instance, const wchar16* templateName, HWND owner,
                                       DLGPROC dialogProc, LPARAM initParam) {
    (void)instance;
    (void)templateName;
    (void)owner;
    (void)dialogProc;
    (void)initParam;
    return 0;
}
BOOL MachineSystem::EndDialog(HWND dialog, INT_PTR result) {
    (void)dialog;
    (void)result;
    return 0;
}
HWND MachineSystem::GetDlgItem(HWND dialog, int controlId) {
    (void)dialog;
    (void)controlId;
    return nullptr;
}
LRESULT MachineSystem::SendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    (void)window;
    (void)message;
    (void)wParam;
    (void)lParam;
    return 0;
}
BOOL MachineSystem::SetWindowTextW(HWND window, const wchar16* text) {
    (void)window;
    (void)text;
    return 0;
}
int MachineSystem::GetWindowTextW(HWND window, wchar16* buffer, int bufferChars) {
    (void)window;
    (void)buffer;
    (void)bufferChars;
    return 0;
}
int MachineSystem::GetWindowTextLengthW(HWND window) {
    (void)window;
    return 0;
}
BOOL MachineSystem::EnableWindow(HWND window, BOOL enable) {
    (void)window;
    (void)enable;
    return 0;
}
int MachineSystem::MessageBoxW(HWND owner, const wchar16* text, const wchar16* caption,
                               UINT style) {
    (void)owner;
    (void)text;
    (void)caption;
    (void)style;
    return 0;
}
HWND MachineSystem::FindWindowW(const wchar16* className, const wchar16* windowName) {
    (void)className;
    (void)windowName;
    return nullptr;
}
HWND MachineSystem::FindWindowExW(HWND parent, HWND childAfter, const wchar16* className,
                                  const wchar16* windowName) {
    (void)parent;
    (void)childAfter;
    (void)className;
    (void)windowName;
    return nullptr;
}
BOOL MachineSystem::IsIconic(HWND window) {
    (void)window;
    return 0;
}
BOOL MachineSystem::ShowWindow(HWND window, int showCommand) {
    (void)window;
    (void)showCommand;
    return 0;
}
BOOL MachineSystem::SetForegroundWindow(HWND window) {
    (void)window;
    return 0;
}
HMENU MachineSystem::GetSystemMenu(HWND window, BOOL revert) {
    (void)window;
    (void)revert;
    return nullptr;
}
BOOL MachineSystem::InsertMenuW(HMENU menu, UINT position, UINT flags, UINT_PTR itemId,
                                const wchar16* text) {
    (void)menu;
    (void)position;
    (void)flags;
    (void)itemId;
    (void)text;
    return 0;
}
BOOL MachineSystem::DestroyMenu(HMENU menu) {
    (void)menu;
    return 0;
}
HDC MachineSystem::BeginPaint(HWND window, PAINTSTRUCT* paint) {
    (void)window;
    (void)paint;
    return nullptr;
}
BOOL MachineSystem::EndPaint(HWND window, const PAINTSTRUCT* paint) {
    (void)window;
    (void)paint;
    return 0;
}
BOOL MachineSystem::GetClientRect(HWND window, RECT* rect) {
    (void)window;
    (void)rect;
    return 0;
}
BOOL MachineSystem::DrawIcon(HDC dc, int x, int y, HICON icon) {
    (void)dc;
    (void)x;
    (void)y;
    (void)icon;
    return 0;
}
HICON MachineSystem::LoadIconW(HINSTANCE instance, const wchar16* iconName) {
    (void)instance;
    (void)iconName;
    return nullptr;
}
int MachineSystem::LoadStringW(HINSTANCE instance, UINT id, wchar16* buffer, int bufferChars) {
    (void)instance;
    (void)id;
    (void)buffer;
    (void)bufferChars;
    return 0;
}
