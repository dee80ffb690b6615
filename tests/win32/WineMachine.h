#pragma once
// What the tests under Wine plant in the real registry, and remove again: test keys in
// either registry view, devices the setup API then enumerates, and mount-table entries.
// The window tool plants the supported IDE drive for the end-to-end tests with the same
// functions. Also the programs a test starts, whether they show a window, and a window a
// test shows.

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cwchar>
#include <string>

namespace wine_machine {

// The registry view a key is planted in, whatever the test process's own width.
enum class View : REGSAM { Default = 0, Bits32 = KEY_WOW64_32KEY, Bits64 = KEY_WOW64_64KEY };

inline void SetValue(const std::wstring& subKey, const wchar_t* name, DWORD type, const void* data,
                     DWORD cb, View view = View::Default) {
    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_LOCAL_MACHINE, subKey.c_str(), 0, nullptr, 0,
                    KEY_SET_VALUE | static_cast<REGSAM>(view), nullptr, &key, nullptr);
    RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), cb);
    RegCloseKey(key);
}

inline void SetString(const std::wstring& subKey, const wchar_t* name, const std::wstring& text,
                      View view = View::Default) {
    SetValue(subKey, name, REG_SZ, text.c_str(), DWORD((text.size() + 1) * 2), view);
}

inline void SetDword(const std::wstring& subKey, const wchar_t* name, DWORD value,
                     View view = View::Default) {
    SetValue(subKey, name, REG_DWORD, &value, sizeof(value), view);
}

inline void DeleteTree(const std::wstring& subKey, View view = View::Default) {
    HKEY parent = nullptr;
    size_t slash = subKey.rfind(L'\\');
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, subKey.substr(0, slash).c_str(), 0,
                      KEY_ALL_ACCESS | static_cast<REGSAM>(view), &parent) == ERROR_SUCCESS) {
        RegDeleteTreeW(parent, subKey.substr(slash + 1).c_str());
        RegCloseKey(parent);
    }
}

inline bool KeyExists(const std::wstring& subKey, View view) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, subKey.c_str(), 0,
                      KEY_QUERY_VALUE | static_cast<REGSAM>(view), &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

constexpr wchar_t kCdromInterface[] = L"{53f56308-b6bf-11d0-94f2-00a0c91efb8b}";
constexpr wchar_t kUsbInterface[] = L"{a5dcbf10-6530-11d2-901f-00c04fb951ed}";
constexpr wchar_t kCdromClass[] = L"{4d36e965-e325-11ce-bfc1-08002be10318}";
constexpr wchar_t kUsbClass[] = L"{36fc9e60-c465-11cf-8056-444553540000}";
const std::wstring kEnum = L"SYSTEM\\CurrentControlSet\\Enum\\";
const std::wstring kDeviceClasses = L"SYSTEM\\CurrentControlSet\\Control\\DeviceClasses\\";

inline std::wstring Hashed(std::wstring instance) {
    std::replace(instance.begin(), instance.end(), L'\\', L'#');
    return instance;
}

inline std::wstring InterfaceKey(const std::wstring& instance, const wchar_t* interfaceClass) {
    return kDeviceClasses + interfaceClass + L"\\##?#" + Hashed(instance) + L"#" + interfaceClass;
}

// A present device exposing one interface class; the next device-set enumeration lists it.
inline void PlantDevice(const std::wstring& instance, const wchar_t* setupClass,
                        const wchar_t* interfaceClass) {
    const std::wstring interfaceKey = InterfaceKey(instance, interfaceClass);
    SetString(kEnum + instance, L"ClassGUID", setupClass, View::Bits64);
    SetString(interfaceKey, L"DeviceInstance", instance, View::Bits64);
    SetString(interfaceKey + L"\\#", L"SymbolicLink",
              L"\\\\?\\" + Hashed(instance) + L"#" + interfaceClass, View::Bits64);
    SetDword(interfaceKey + L"\\#\\Control", L"Linked", 1, View::Bits64);
}

// A planted device for the lifetime of the object.
class CPlantedDevice {
public:
    CPlantedDevice(const std::wstring& instance, const wchar_t* setupClass,
                   const wchar_t* interfaceClass)
        : m_enumKey(kEnum + instance), m_interfaceKey(InterfaceKey(instance, interfaceClass)) {
        PlantDevice(instance, setupClass, interfaceClass);
    }
    ~CPlantedDevice() {
        DeleteTree(m_interfaceKey, View::Bits64);
        DeleteTree(m_enumKey, View::Bits64);
    }

private:
    std::wstring m_enumKey;
    std::wstring m_interfaceKey;
};

// Wine names a letter's volume after the letter's code: E: is ...0045. A fresh prefix has
// volumes at C: and Z: only; another letter needs a drive in the prefix first.
inline std::wstring MountValueName(wchar_t letter) {
    wchar_t name[64] = {};
    std::swprintf(name, 64, L"\\??\\Volume{00000000-0000-0000-0000-0000000000%02x}",
                  static_cast<unsigned>(letter));
    return name;
}

inline void PlantMountEntry(wchar_t letter, const void* data, DWORD cb) {
    SetValue(L"SYSTEM\\MountedDevices", MountValueName(letter).c_str(), REG_BINARY, data, cb);
}

inline void PlantMountEntry(wchar_t letter, const std::wstring& path) {
    PlantMountEntry(letter, path.c_str(), DWORD(path.size() * 2));
}

inline void RemoveMountEntry(wchar_t letter) {
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, L"SYSTEM\\MountedDevices",
                       MountValueName(letter).c_str());
}

// The supported IDE drive: its instance ID, and the device path its mount-table entry holds.
const std::wstring kIdeDriveInstance = L"IDE\\CDROMVELTRANO_DVD-RW_1.00\\5&1A2B3C&0&1.0.0";
const std::wstring kIdeDriveMountPath = L"\\??\\IDE#CDROMVELTRANO_DVD-RW_1.00#5&1a2b3c&0&1.0.0#"
                                        L"{53f56308-b6bf-11d0-94f2-00a0c91efb8b}";

// Whether the rectangle's centre is the other's, to the pixel that halving rounds off.
inline bool IsCentredOn(const RECT& rect, const RECT& other) {
    return std::abs(rect.left + rect.right - other.left - other.right) <= 1 &&
           std::abs(rect.top + rect.bottom - other.top - other.bottom) <= 1;
}

// A top-level window titled like the program's dialog, optionally with a push button.
class CFakeDialog {
public:
    explicit CFakeDialog(bool withButton) {
        m_hWnd = CreateWindowExW(0, L"STATIC", L"Quenlath", WS_POPUP, 0, 0, 10, 10, nullptr,
                                 nullptr, nullptr, nullptr);
        if (withButton) {
            CreateWindowExW(0, L"BUTTON", L"OK", WS_CHILD, 0, 0, 5, 5, m_hWnd, nullptr, nullptr,
                            nullptr);
        }
    }
    ~CFakeDialog() { DestroyWindow(m_hWnd); }

private:
    HWND m_hWnd;
};

// A program in the folder of this test program, its path or, with arguments, a command
// line that starts it.
inline std::wstring Sibling(const wchar_t* program, const std::wstring& arguments = L"") {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self);
    path = L"\"" + path.substr(0, path.rfind(L'\\') + 1) + program + L"\"";
    return arguments.empty() ? path : path + L" " + arguments;
}

// A started process; one still running is ended with the object.
class CStartedProcess : public PROCESS_INFORMATION {
public:
    CStartedProcess() : PROCESS_INFORMATION{} {}
    CStartedProcess(const CStartedProcess&) = delete;
    CStartedProcess& operator=(const CStartedProcess&) = delete;
    ~CStartedProcess() {
        TerminateProcess(hProcess, 1);
        WaitForSingleObject(hProcess, INFINITE);
        CloseHandle(hThread);
        CloseHandle(hProcess);
    }

    // Without a token, CreateProcessAsUserW starts the program with this process's own.
    bool Start(std::wstring commandLine, DWORD flags = 0, HANDLE token = nullptr) {
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        return CreateProcessAsUserW(token, nullptr, &commandLine[0], nullptr, nullptr, FALSE, flags,
                                    nullptr, nullptr, &startup, this) != FALSE;
    }
    bool EndedWithin(DWORD ms) const { return WaitForSingleObject(hProcess, ms) == WAIT_OBJECT_0; }
    bool Running() const { return !EndedWithin(0); }
};

struct ControlSearch {
    DWORD process;
    int control;
    bool found;
};

inline BOOL CALLBACK FindControl(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<ControlSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    search->found = owner == search->process && IsWindowVisible(window) &&
                    GetDlgItem(window, search->control) != nullptr;
    return search->found ? FALSE : TRUE;
}

// Whether the process shows a visible top-level window with that control.
inline bool ShowsControl(const CStartedProcess& process, int control) {
    ControlSearch search = {process.dwProcessId, control, false};
    EnumWindows(FindControl, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Runs a command line (with that token, or this process's own) and waits at most a minute;
// its exit code, or 1 when it could not start or did not end.
inline DWORD RunAndWait(const std::wstring& commandLine, HANDLE token = nullptr) {
    CStartedProcess process;
    DWORD exitCode = 1;
    if (process.Start(commandLine, 0, token) && process.EndedWithin(60000)) {
        GetExitCodeProcess(process.hProcess, &exitCode);
    }
    return exitCode;
}

} // namespace wine_machine
