#pragma once
// The state of the machine's system half, shared by the files that implement its areas
// (kernel objects and version facts, windows, dialogs, resources). Not for tests: they
// use MachineSystem.h.

#include "machine/MachineSystem.h"
#include "machine/ResourceScripts.h"

#include <deque>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace machine_system {

// Win32 values the machine needs but the program never names.
constexpr DWORD kErrorInvalidFunction = 1;
constexpr DWORD kErrorNoAccess = 998;
constexpr DWORD kErrorModNotFound = 126;
constexpr DWORD kErrorProcNotFound = 127;
constexpr DWORD kErrorFilenameTooLong = 206;
constexpr DWORD kErrorNotOwner = 288;
constexpr DWORD kErrorInvalidSid = 1337;
constexpr DWORD kErrorNoAssociation = 1155;
constexpr DWORD kErrorInvalidWindowHandle = 1400;
constexpr DWORD kErrorInvalidMenuHandle = 1401;
constexpr DWORD kErrorInvalidIconHandle = 1402;
constexpr DWORD kErrorControlIdNotFound = 1421;
constexpr DWORD kErrorInvalidMessageBoxStyle = 1438;
constexpr DWORD kErrorMenuItemNotFound = 1456;
constexpr DWORD kErrorResourceDataNotFound = 1812;
constexpr DWORD kErrorResourceNameNotFound = 1814;

constexpr DWORD kStyleSysMenu = 0x00080000;
constexpr DWORD kStyleTabStop = 0x00010000;
constexpr DWORD kStyleDisabled = 0x08000000;
constexpr DWORD kStyleVisible = 0x10000000;
constexpr DWORD kStyleChild = 0x40000000;
constexpr DWORD kButtonTypeMask = 0x0F;
constexpr DWORD kButtonDefPush = 0x01;
constexpr DWORD kButtonCheckBox = 0x02;
constexpr DWORD kButtonAutoCheckBox = 0x03;
constexpr DWORD kButtonRadio = 0x04;
constexpr DWORD kButton3State = 0x05;
constexpr DWORD kButtonAuto3State = 0x06;
constexpr DWORD kButtonGroupBox = 0x07;
constexpr DWORD kButtonAutoRadio = 0x09;
constexpr DWORD kComboTypeMask = 0x03;
constexpr DWORD kComboDropDownList = 0x03;
constexpr DWORD kComboSort = 0x0100;

constexpr UINT kMessageGetIcon = 0x007F;
constexpr UINT kMessageCtlColorFirst = 0x0132; // WM_CTLCOLORMSGBOX .. WM_CTLCOLORSTATIC
constexpr UINT kMessageCtlColorLast = 0x0138;
constexpr UINT kMessageCompareItem = 0x0039;
constexpr UINT kMessageVKeyToItem = 0x002E;
constexpr UINT kMessageCharToItem = 0x002F;
constexpr UINT kButtonSetState = 0x00F3;
constexpr WPARAM kIconSmall2 = 2;
constexpr UINT_PTR kSysCommandSize = 0xF000;
constexpr UINT_PTR kSysCommandMove = 0xF010;
constexpr UINT_PTR kSysCommandMinimize = 0xF020;
constexpr UINT_PTR kSysCommandClose = 0xF060;
constexpr UINT_PTR kSysCommandRestore = 0xF120;
constexpr UINT kMessageBoxTypeMask = 0x0000000F;
constexpr UINT kMessageBoxDefaultMask = 0x00000F00;
constexpr int kIdTryAgain = 10;
constexpr int kIdContinue = 11;

// ---- Text ----------------------------------------------------------------------------

wchar16 UpperAscii(wchar16 c);
std::u16string UpperAscii(std::u16string_view text);
bool SameTextNoCase(std::u16string_view left, std::u16string_view right);
std::u16string_view TextOf(const wchar16* text); // null reads as empty
// A resource name given as MAKEINTRESOURCE(id) or as "#id"; -1 when it is neither.
int ResourceIdOf(const wchar16* name);
// Copies text into buffer of the given capacity (NUL included), cut to capacity - 1;
// returns the characters copied. Capacity must be at least 1.
int CopyTruncated(std::u16string_view text, wchar16* buffer, size_t capacity);
std::string Narrow(std::u16string_view text); // for descriptions of refused actions

// ---- Kernel objects and security ------------------------------------------------------

enum class ObjectKind { Mutex, Event };

struct KernelObject {
    ObjectKind kind = ObjectKind::Mutex;
    std::u16string name; // as stored in the namespace; empty for an unnamed object
    int ourHandles = 0;
    int foreignHandles = 0;
    int ownedCount = 0; // recursion count of our (only) thread's ownership
};

struct KernelState {
    std::map<std::u16string, std::shared_ptr<KernelObject>> named;
    std::map<HANDLE, std::shared_ptr<KernelObject>> handles;
    uintptr_t nextHandle = 0x100;
};

struct Sid {
    SID_IDENTIFIER_AUTHORITY authority{};
    std::vector<DWORD> subAuthorities;
};

// ---- Windows -------------------------------------------------------------------------

struct MenuItem {
    UINT_PTR command = 0;
    std::u16string text;
    bool separator = false;
};

struct Menu {
    HWND window = nullptr;
    std::vector<MenuItem> items;
};

struct Window {
    HWND handle = nullptr;
    HWND parent = nullptr; // set for child controls
    HWND owner = nullptr;  // set for owned top-level windows
    bool foreign = false;  // belongs to another process
    std::u16string className;
    std::u16string text;
    DWORD style = 0;
    DWORD exStyle = 0;
    int id = 0;
    bool enabled = true;
    bool iconic = false;
    int clientWidth = 0;
    int clientHeight = 0;
    std::vector<HWND> children; // in creation order, which is the tab order
    DLGPROC proc = nullptr;     // set for our dialogs
    HICON bigIcon = nullptr;
    HICON smallIcon = nullptr;
    HMENU systemMenu = nullptr;        // created by the first GetSystemMenu
    std::vector<std::u16string> items; // combo box list
    int selection = -1;
    int checkState = BST_UNCHECKED;
};

// One modal dialog whose loop is running.
struct DialogRun {
    HWND window = nullptr;
    HWND disabledOwner = nullptr; // the owner this run disabled, until re-enabled
    bool ended = false;
    INT_PTR result = 0;
    size_t record = 0; // index into the shown dialogs
};

struct WindowState {
    std::map<HWND, std::unique_ptr<Window>> windows;
    std::vector<HWND> topLevel; // creation order
    uintptr_t nextWindow = 0x00020010;
    std::map<HMENU, Menu> menus;
    uintptr_t nextMenu = 0x00300010;
    std::map<HDC, HWND> paintContexts;
    uintptr_t nextDc = 0x01000010;
    std::set<HICON> loadedIcons;
    std::vector<DialogRun> modalStack; // innermost last
    HWND foreground = nullptr;
    std::set<HWND> restored;
};

struct Records {
    std::vector<ShownDialog> dialogs;
    std::vector<ShownMessageBox> messageBoxes;
    std::vector<ShellLaunch> launches;
    std::vector<DrawnIcon> drawnIcons;
    std::vector<std::string> refusedActions;
    bool scriptExhausted = false;
};

struct EnvironmentVariable {
    std::u16string name;
    std::u16string value;
};

} // namespace machine_system

struct MachineSystem::SystemState {
    explicit SystemState(MachineSystem& owner) : machine(owner) {}

    MachineSystem& machine;
    machine_system::KernelState kernel;
    std::map<PSID, machine_system::Sid> sids;
    uintptr_t nextSid = 0x00600010;
    std::map<std::u16string, machine_system::EnvironmentVariable> environment; // by upper name
    machine_system::WindowState windows;
    std::deque<UserAction> script;
    machine_system::Records records;

    // ---- Windows (MachineWindows.cpp) ----
    machine_system::Window* Find(HWND window);
    const machine_system::Window* Find(HWND window) const;
    machine_system::Window* FindOrFail(HWND window); // sets ERROR_INVALID_WINDOW_HANDLE
    machine_system::Window& Create(HWND parentOrOwner, bool child, std::u16string className,
                                   std::u16string text, DWORD style);
    void DestroyTree(HWND window);
    HWND RootOf(HWND window) const;
    HWND ChildById(HWND parent, int id) const;
    ControlState Snapshot(const machine_system::Window& control) const;
    std::vector<ControlState> SnapshotControls(HWND dialog) const;
    std::vector<std::u16string> SystemMenuTexts(const machine_system::Window& window) const;
    std::vector<machine_system::MenuItem>
    SystemMenuItems(const machine_system::Window& window) const;
    void NotifyParent(const machine_system::Window& control, WORD code);
    void ClickButton(HWND button);
    LRESULT Deliver(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT DialogDefault(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT ControlProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT ComboProc(machine_system::Window& combo, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT ButtonProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT TextProc(machine_system::Window& window, UINT message, WPARAM wParam, LPARAM lParam);
    void SetIconic(HWND window, bool iconic);

    // ---- Dialogs and the script (MachineDialogs.cpp) ----
    machine_system::DialogRun* RunOf(HWND dialog);
    std::string DialogName(HWND dialog);
    HWND CreateDialogWindow(const machine_system::DialogTemplate& dialog, HWND owner, DLGPROC proc);
    HWND FirstTabStop(HWND dialog) const;
    INT_PTR RunDialog(HWND dialog, size_t record, LPARAM initParam);
    void RecordAfterInit(HWND dialog, size_t record);
    void RunModalLoop(HWND dialog);
    void EndForExhaustedScript(HWND dialog);
    void EndRun(machine_system::DialogRun& run, INT_PTR result);
    void Perform(HWND dialog, const UserAction& action);
    void PressButton(HWND dialog, int id, const char* actionName);
    void SelectItem(HWND dialog, const UserAction& action);
    void ClickCheckBox(HWND dialog, const UserAction& action);
    void ChooseFromSystemMenu(HWND dialog, UINT_PTR command);
    void Refuse(const std::string& description);
    HWND CreateMessageBoxWindow(HWND owner, std::u16string_view text, std::u16string_view caption,
                                const std::vector<int>& buttons, int defaultButton);
    int MessageBoxAnswer(HWND box, const std::vector<int>& buttons, int defaultButton);

    // ---- Resources (MachineResources.cpp) ----
    bool IsProgramInstance(HINSTANCE instance) const;
};

// The program's own module handle and the kernel32 handle the machine hands out.
namespace machine_system {
HINSTANCE ProgramInstance();
HMODULE Kernel32Module();
} // namespace machine_system
