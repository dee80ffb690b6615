#pragma once
// The system half of the in-memory machine: version facts, security, kernel objects,
// shell and environment, and a small window system that runs modal dialogs from a
// script of user actions and records what was shown, activated and launched.

#include "platform/Platform.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// Languages of the user interface, as Windows numbers them.
constexpr WORD kLangEnglishUs = 1033;
constexpr WORD kLangFrench = 1036;
constexpr WORD kLangJapanese = 1041;
constexpr WORD kLangChineseSimplified = 2052;
constexpr WORD kLangGerman = 1031;

// One step of what the user does while a dialog or a message box is up. Each modal
// dialog and each message box takes the next actions from the front of the script.
struct UserAction {
    enum class Kind {
        PressOk,       // click the OK button (WM_COMMAND IDOK, BN_CLICKED)
        PressCancel,   // click the Cancel button (WM_COMMAND IDCANCEL)
        PressEscape,   // Escape key: the dialog manager sends WM_COMMAND IDCANCEL
        CloseBox,      // the close box: WM_SYSCOMMAND SC_CLOSE, then WM_COMMAND IDCANCEL
        SelectItem,    // pick the item with this text in a combo box (CB_SETCURSEL + CBN_SELCHANGE)
        ClickCheckBox, // click an auto check box: toggles it and sends BN_CLICKED
        SystemMenu,    // pick an item of the system menu: WM_SYSCOMMAND with its id
        AnswerMessageBox, // the button the user presses in a message box (IDOK, IDYES, IDNO...)
        Inspect,          // run a test callback with the topmost dialog's handle
                          // (or the message box's, while one is up)
        Minimize,         // minimise the dialog (it becomes iconic), then WM_PAINT
        Restore,          // restore a minimised dialog, then WM_PAINT
    };
    Kind kind = Kind::PressOk;
    int controlId = 0;
    std::u16string text;
    int answer = 0;
    UINT_PTR command = 0;
    std::function<void(HWND dialog)> inspect;

    static UserAction Of(Kind kind) {
        UserAction action;
        action.kind = kind;
        return action;
    }
    static UserAction Ok() { return Of(Kind::PressOk); }
    static UserAction Cancel() { return Of(Kind::PressCancel); }
    static UserAction Escape() { return Of(Kind::PressEscape); }
    static UserAction Close() { return Of(Kind::CloseBox); }
    static UserAction Select(int controlId, std::u16string itemText);
    static UserAction ClickCheck(int controlId);
    static UserAction ChooseSystemMenu(UINT_PTR command);
    static UserAction Answer(int button);
    static UserAction Look(std::function<void(HWND dialog)> inspect);
    static UserAction MinimizeWindow() { return Of(Kind::Minimize); }
    static UserAction RestoreWindow() { return Of(Kind::Restore); }
};

// What a control looked like at a moment.
struct ControlState {
    int id = 0;
    std::u16string className; // "Button", "ComboBox", "Static"
    std::u16string text;
    std::vector<std::u16string> items; // combo box items in list order
    int selection = -1;
    bool enabled = true;
    bool checked = false;
};

struct ShownDialog {
    int templateId = 0;
    WORD language = 0; // language of the template the loader picked
    HWND window = nullptr;
    HWND owner = nullptr;
    bool ownerDisabledWhileShown = false;
    std::u16string caption;
    std::vector<ControlState> controlsAfterInit; // right after WM_INITDIALOG
    std::vector<ControlState> controlsAtEnd;     // when the modal loop ended, before WM_DESTROY
    // Item texts, top to bottom, without accelerator marks; a separator reads as "".
    // Empty when the dialog has no system menu.
    std::vector<std::u16string> systemMenuAfterInit;
    HICON bigIcon = nullptr;
    INT_PTR result = 0; // what DialogBoxParamW returned
};

struct ShownMessageBox {
    HWND owner = nullptr;
    std::u16string text;
    std::u16string caption;
    UINT style = 0;
    int answer = 0;
};

struct ShellLaunch {
    HWND owner = nullptr;
    std::u16string verb; // empty for the default verb
    std::u16string file;
    std::u16string parameters;
    std::u16string directory;
    int showCommand = 0;
};

struct DrawnIcon {
    HWND window = nullptr; // the window whose paint context the icon was drawn in
    HDC dc = nullptr;
    int x = 0;
    int y = 0;
    HICON icon = nullptr;
};

struct VersionFacts {
    DWORD platformId = VER_PLATFORM_WIN32_NT;
    DWORD major = 10;
    DWORD minor = 0;
    DWORD build = 19045;
    BYTE productType = VER_NT_WORKSTATION;
    WORD servicePackMajor = 0;
    WORD servicePackMinor = 0;
    WORD suiteMask = 0x0100; // VER_SUITE_SINGLEUSERTS, as a desktop Windows reports
    std::u16string servicePackText;
    bool basicQueryFails = false;
    bool extendedQueryFails = false;
    WORD nativeArchitecture = PROCESSOR_ARCHITECTURE_AMD64;
    bool hasGetNativeSystemInfo = true;
    bool hasGetProductInfo = true;
    bool productInfoFails = false;
    DWORD productInfo = 0x30; // PRODUCT_PROFESSIONAL
    bool kernel32Missing = false;
};

class MachineSystem : public Platform {
public:
    MachineSystem();
    ~MachineSystem() override;

    // ---- Planting ----------------------------------------------------------------
    VersionFacts version;
    std::map<int, int> systemMetrics; // index -> value; SM_CXICON/SM_CYICON default 32
    WORD uiLanguage = kLangEnglishUs;
    bool isAdministrator = true;
    bool sidAllocationFails = false;
    bool membershipCheckFails = false;
    HINSTANCE shellExecuteResult = reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(42));

    void SetEnvironment(const std::u16string& name, const std::u16string& value);
    void UnsetEnvironment(const std::u16string& name);

    // Kernel objects held by another process (so they outlive this process's handles).
    void PlantForeignMutex(const std::u16string& name);
    void PlantForeignEvent(const std::u16string& name);
    bool NamedObjectExists(const std::u16string& name) const;
    // Ends this process: closes its handles, so objects only it held disappear.
    void EndProcess();

    // A top-level window of another process, with an optional push-button child.
    HWND PlantForeignWindow(const std::u16string& title, bool withButtonChild, bool iconic = false,
                            const std::u16string& className = u"#32770");

    void SetScript(std::vector<UserAction> actions);

    // ---- Inspection --------------------------------------------------------------
    const std::vector<ShownDialog>& Dialogs() const;
    const std::vector<ShownMessageBox>& MessageBoxes() const;
    const std::vector<ShellLaunch>& Launches() const;
    size_t ScriptRemaining() const;
    bool ScriptExhausted() const; // a dialog or box wanted an action the script did not have
    // Actions taken from the script that the user could not have performed (no enabled OK
    // button, no such item, an answer the box does not offer...), described; they did nothing.
    const std::vector<std::string>& RefusedActions() const;
    const std::vector<DrawnIcon>& DrawnIcons() const;
    HWND ForegroundWindow() const;
    bool WasRestored(HWND window) const;
    ControlState Control(HWND dialog, int controlId) const;
    bool WindowEnabled(HWND window) const;
    size_t OpenHandleCount() const;             // kernel objects, SIDs, menus and paint contexts
    std::u16string LoadedString(UINT id) const; // the string the loader gives now

    // ---- Platform ----------------------------------------------------------------
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

private:
    struct SystemState;
    std::unique_ptr<SystemState> m_system;
};
