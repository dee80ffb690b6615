// The window registry and the window procedures of the machine's own windows: dialogs
// (default dialog processing), push buttons, check boxes, combo boxes and static texts.
// Windows of other processes answer only what Windows lets a process ask of them.

#include "machine/MachineSystemState.h"

#include <algorithm>

using namespace machine_system;

namespace {

constexpr int kForeignWidth = 400;
constexpr int kForeignHeight = 300;

bool IsCheckable(const Window& button) {
    switch (button.style & kButtonTypeMask) {
    case kButtonCheckBox:
    case kButtonAutoCheckBox:
    case kButtonRadio:
    case kButton3State:
    case kButtonAuto3State:
    case kButtonAutoRadio:
        return true;
    default:
        return false;
    }
}

bool IsThreeState(const Window& button) {
    DWORD type = button.style & kButtonTypeMask;
    return type == kButton3State || type == kButtonAuto3State;
}

// Messages whose result a dialog procedure returns itself; for the others it returns
// whether it handled the message.
bool DialogProcAnswersDirectly(UINT message) {
    return message == WM_INITDIALOG || message == WM_QUERYDRAGICON ||
           message == kMessageCompareItem || message == kMessageVKeyToItem ||
           message == kMessageCharToItem ||
           (message >= kMessageCtlColorFirst && message <= kMessageCtlColorLast);
}

// Sorted combo boxes order their items without regard to case, as lstrcmpi does for
// the ASCII texts the program lists; a new item goes before equal ones.
size_t SortedPosition(const std::vector<std::u16string>& items, const std::u16string& item) {
    std::u16string key = UpperAscii(item);
    for (size_t i = 0; i < items.size(); ++i) {
        if (key <= UpperAscii(items[i])) {
            return i;
        }
    }
    return items.size();
}

bool Matches(const Window& window, const wchar16* className, const wchar16* windowName) {
    if (className != nullptr) {
        if (reinterpret_cast<uintptr_t>(className) < 0x10000) {
            return false; // a class atom: the machine registers none
        }
        if (!SameTextNoCase(window.className, className)) {
            return false;
        }
    }
    // FindWindow and FindWindowEx compare titles without regard to case.
    return windowName == nullptr || SameTextNoCase(window.text, windowName);
}

} // namespace

// ---- Registry of windows -----------------------------------------------------------------

Window* MachineSystem::SystemState::Find(HWND window) {
    auto found = windows.windows.find(window);
    return found == windows.windows.end() ? nullptr : found->second.get();
}

const Window* MachineSystem::SystemState::Find(HWND window) const {
    auto found = windows.windows.find(window);
    return found == windows.windows.end() ? nullptr : found->second.get();
}

Window* MachineSystem::SystemState::FindOrFail(HWND window) {
    Window* found = Find(window);
    if (found == nullptr) {
        machine.SetLastError(kErrorInvalidWindowHandle);
    }
    return found;
}

Window& MachineSystem::SystemState::Create(HWND parentOrOwner, bool child, std::u16string className,
                                           std::u16string text, DWORD style) {
    auto window = std::make_unique<Window>();
    window->handle = reinterpret_cast<HWND>(windows.nextWindow);
    windows.nextWindow += 4;
    window->className = std::move(className);
    window->text = std::move(text);
    window->style = style;
    window->enabled = (style & kStyleDisabled) == 0;
    if (child) {
        window->parent = parentOrOwner;
        Find(parentOrOwner)->children.push_back(window->handle);
    } else {
        window->owner = parentOrOwner;
        windows.topLevel.push_back(window->handle);
    }
    Window& created = *window;
    windows.windows[created.handle] = std::move(window);
    return created;
}

void MachineSystem::SystemState::DestroyTree(HWND window) {
    Window* found = Find(window);
    if (found == nullptr) {
        return;
    }
    std::vector<HWND> children = found->children;
    for (HWND child : children) {
        DestroyTree(child);
    }
    if (found->systemMenu != nullptr) {
        windows.menus.erase(found->systemMenu);
    }
    if (Window* parent = Find(found->parent)) {
        auto& siblings = parent->children;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), window), siblings.end());
    }
    auto& top = windows.topLevel;
    top.erase(std::remove(top.begin(), top.end(), window), top.end());
    windows.windows.erase(window);
}

HWND MachineSystem::SystemState::RootOf(HWND window) const {
    const Window* found = Find(window);
    while (found != nullptr && found->parent != nullptr) {
        window = found->parent;
        found = Find(window);
    }
    return window;
}

HWND MachineSystem::SystemState::ChildById(HWND parent, int id) const {
    const Window* found = Find(parent);
    if (found == nullptr) {
        return nullptr;
    }
    for (HWND child : found->children) {
        if (Find(child)->id == id) {
            return child;
        }
    }
    return nullptr;
}

ControlState MachineSystem::SystemState::Snapshot(const Window& control) const {
    ControlState state;
    state.id = control.id;
    state.className = control.className;
    state.text = control.text;
    state.items = control.items;
    state.selection = control.selection;
    state.enabled = control.enabled;
    state.checked = control.checkState == BST_CHECKED;
    return state;
}

std::vector<ControlState> MachineSystem::SystemState::SnapshotControls(HWND dialog) const {
    std::vector<ControlState> controls;
    if (const Window* found = Find(dialog)) {
        for (HWND child : found->children) {
            controls.push_back(Snapshot(*Find(child)));
        }
    }
    return controls;
}

// A modal dialog frame with a system menu offers Move and Close; restore, size,
// minimise and maximise do not apply to it.
std::vector<MenuItem> MachineSystem::SystemState::SystemMenuItems(const Window& window) const {
    if ((window.style & kStyleSysMenu) == 0) {
        return {};
    }
    auto menu = windows.menus.find(window.systemMenu);
    if (menu != windows.menus.end()) {
        return menu->second.items;
    }
    return {MenuItem{kSysCommandMove, u"Move", false}, MenuItem{kSysCommandClose, u"Close", false}};
}

std::vector<std::u16string>
MachineSystem::SystemState::SystemMenuTexts(const Window& window) const {
    std::vector<std::u16string> texts;
    for (const MenuItem& item : SystemMenuItems(window)) {
        texts.push_back(item.separator ? std::u16string() : item.text);
    }
    return texts;
}

// ---- Window procedures -------------------------------------------------------------------

void MachineSystem::SystemState::NotifyParent(const Window& control, WORD code) {
    Deliver(control.parent, WM_COMMAND, MAKEWPARAM(control.id, code),
            reinterpret_cast<LPARAM>(control.handle));
}

// A click: an automatic check box changes its state first, then the parent hears of it.
void MachineSystem::SystemState::ClickButton(HWND button) {
    Window* found = Find(button);
    DWORD type = found->style & kButtonTypeMask;
    if (type == kButtonAutoCheckBox) {
        found->checkState = found->checkState == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED;
    } else if (type == kButtonAuto3State) {
        found->checkState = (found->checkState + 1) % 3;
    } else if (type == kButtonAutoRadio) {
        found->checkState = BST_CHECKED;
    }
    NotifyParent(*found, BN_CLICKED);
}

LRESULT MachineSystem::SystemState::Deliver(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
    Window* found = FindOrFail(window);
    if (found == nullptr) {
        return 0;
    }
    if (found->foreign) {
        // Sent text messages are marshalled across processes; nothing else does anything.
        return message == WM_GETTEXT || message == WM_GETTEXTLENGTH
                   ? TextProc(*found, message, wParam, lParam)
                   : 0;
    }
    if (found->parent != nullptr) {
        return ControlProc(window, message, wParam, lParam);
    }
    if (found->proc != nullptr) {
        INT_PTR handled = found->proc(window, message, wParam, lParam);
        if (handled != 0) {
            // DWLP_MSGRESULT, which the seam cannot set, stays 0.
            return DialogProcAnswersDirectly(message) ? handled : 0;
        }
    }
    return DialogDefault(window, message, wParam, lParam);
}

LRESULT MachineSystem::SystemState::DialogDefault(HWND dialog, UINT message, WPARAM wParam,
                                                  LPARAM lParam) {
    Window* found = Find(dialog);
    if (found == nullptr) {
        return 0;
    }
    switch (message) {
    case WM_SETTEXT:
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH:
        return TextProc(*found, message, wParam, lParam);
    case WM_SETICON: {
        if (wParam != ICON_BIG && wParam != ICON_SMALL) {
            return 0;
        }
        HICON& slot = wParam == ICON_BIG ? found->bigIcon : found->smallIcon;
        HICON previous = slot;
        slot = reinterpret_cast<HICON>(lParam);
        return reinterpret_cast<LRESULT>(previous);
    }
    case kMessageGetIcon:
        return reinterpret_cast<LRESULT>(wParam == ICON_BIG ? found->bigIcon : found->smallIcon);
    case WM_CLOSE: {
        // The close box acts as Cancel, unless the dialog's Cancel button is disabled.
        HWND cancel = ChildById(dialog, IDCANCEL);
        if (cancel == nullptr || Find(cancel)->enabled) {
            Deliver(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                    reinterpret_cast<LPARAM>(cancel));
        }
        return 0;
    }
    case WM_SYSCOMMAND:
        switch (wParam & 0xFFF0) {
        case kSysCommandClose:
            Deliver(dialog, WM_CLOSE, 0, 0);
            break;
        case kSysCommandMinimize:
            SetIconic(dialog, true);
            break;
        case kSysCommandRestore:
            SetIconic(dialog, false);
            break;
        default:
            break;
        }
        return 0;
    default:
        return 0;
    }
}

LRESULT MachineSystem::SystemState::ControlProc(HWND control, UINT message, WPARAM wParam,
                                                LPARAM lParam) {
    Window& found = *Find(control);
    if (found.className == u"ComboBox") {
        return ComboProc(found, message, wParam, lParam);
    }
    if (found.className == u"Button") {
        return ButtonProc(control, message, wParam, lParam);
    }
    return TextProc(found, message, wParam, lParam);
}

LRESULT MachineSystem::SystemState::TextProc(Window& window, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
    switch (message) {
    case WM_SETTEXT:
        window.text = TextOf(reinterpret_cast<const wchar16*>(lParam));
        return TRUE;
    case WM_GETTEXT:
        if (wParam == 0 || lParam == 0) {
            return 0;
        }
        return CopyTruncated(window.text, reinterpret_cast<wchar16*>(lParam), wParam);
    case WM_GETTEXTLENGTH:
        return static_cast<LRESULT>(window.text.size());
    default:
        return 0;
    }
}

LRESULT MachineSystem::SystemState::ButtonProc(HWND button, UINT message, WPARAM wParam,
                                               LPARAM lParam) {
    Window& found = *Find(button);
    switch (message) {
    case BM_GETCHECK:
        return IsCheckable(found) ? found.checkState : BST_UNCHECKED;
    case BM_SETCHECK:
        if (IsCheckable(found)) {
            WPARAM most = IsThreeState(found) ? 2 : BST_CHECKED;
            found.checkState = static_cast<int>(std::min(wParam, most));
        }
        return 0;
    case BM_CLICK:
        // A disabled button takes no clicks.
        if (found.enabled) {
            ClickButton(button);
        }
        return 0;
    default:
        return TextProc(found, message, wParam, lParam);
    }
}

// The window text of a combo box is the text of its selection (its edit field).
LRESULT MachineSystem::SystemState::ComboProc(Window& combo, UINT message, WPARAM wParam,
                                              LPARAM lParam) {
    auto index = static_cast<int>(static_cast<DWORD>(wParam)); // (int)wParam, as Windows reads it
    bool validIndex = index >= 0 && static_cast<size_t>(index) < combo.items.size();
    switch (message) {
    case CB_RESETCONTENT:
        combo.items.clear();
        combo.selection = -1;
        combo.text.clear();
        return 0;
    case CB_ADDSTRING: {
        if (lParam == 0) {
            return CB_ERR;
        }
        std::u16string item(TextOf(reinterpret_cast<const wchar16*>(lParam)));
        size_t position = (combo.style & kComboSort) != 0 ? SortedPosition(combo.items, item)
                                                          : combo.items.size();
        combo.items.insert(combo.items.begin() + static_cast<std::ptrdiff_t>(position), item);
        if (combo.selection >= 0 && position <= static_cast<size_t>(combo.selection)) {
            ++combo.selection; // the selected item moved down
        }
        return static_cast<LRESULT>(position);
    }
    case CB_SETCURSEL:
        combo.selection = validIndex ? index : -1;
        combo.text = validIndex ? combo.items[index] : std::u16string();
        return validIndex ? index : CB_ERR;
    case CB_GETCURSEL:
        return combo.selection >= 0 ? combo.selection : CB_ERR;
    case CB_GETCOUNT:
        return static_cast<LRESULT>(combo.items.size());
    case CB_GETLBTEXT:
        // The buffer must hold the whole item: the message has no size to cut it to.
        if (!validIndex || lParam == 0) {
            return CB_ERR;
        }
        return CopyTruncated(combo.items[index], reinterpret_cast<wchar16*>(lParam),
                             combo.items[index].size() + 1);
    case CB_GETLBTEXTLEN:
        return validIndex ? static_cast<LRESULT>(combo.items[index].size()) : CB_ERR;
    case WM_SETTEXT:
        if ((combo.style & kComboTypeMask) == kComboDropDownList) {
            return CB_ERR; // a drop-down list has no edit field to take text
        }
        return TextProc(combo, message, wParam, lParam);
    default:
        return TextProc(combo, message, wParam, lParam);
    }
}

void MachineSystem::SystemState::SetIconic(HWND window, bool iconic) {
    if (Window* found = Find(window)) {
        found->iconic = iconic;
    }
}

// ---- Platform: windows -------------------------------------------------------------------

HWND MachineSystem::PlantForeignWindow(const std::u16string& title, bool withButtonChild,
                                       bool iconic, const std::u16string& className) {
    constexpr DWORD kDialogFrame = 0x80000000u | 0x10000000u | 0x00C00000u | kStyleSysMenu;
    Window& window = m_system->Create(nullptr, false, className, title, kDialogFrame);
    window.foreign = true;
    window.iconic = iconic;
    window.clientWidth = kForeignWidth;
    window.clientHeight = kForeignHeight;
    HWND handle = window.handle;
    if (withButtonChild) {
        Window& button = m_system->Create(handle, true, u"Button", u"OK",
                                          kStyleChild | kStyleVisible | kStyleTabStop);
        button.foreign = true;
        button.id = IDOK;
    }
    return handle;
}

HWND MachineSystem::GetDlgItem(HWND dialog, int controlId) {
    if (m_system->FindOrFail(dialog) == nullptr) {
        return nullptr;
    }
    HWND control = m_system->ChildById(dialog, controlId);
    if (control == nullptr) {
        SetLastError(kErrorControlIdNotFound);
    }
    return control;
}

LRESULT MachineSystem::SendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return m_system->Deliver(window, message, wParam, lParam);
}

BOOL MachineSystem::SetWindowTextW(HWND window, const wchar16* text) {
    Window* found = m_system->FindOrFail(window);
    if (found == nullptr) {
        return FALSE;
    }
    if (found->foreign) {
        // Only a top-level window's caption can be set from another process.
        if (found->parent == nullptr) {
            found->text = TextOf(text);
        }
        return TRUE;
    }
    return static_cast<BOOL>(
        m_system->Deliver(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)));
}

// For another process's window, Windows answers from the caption it keeps and sends no
// message: a control there reads as empty.
int MachineSystem::GetWindowTextW(HWND window, wchar16* buffer, int bufferChars) {
    Window* found = m_system->FindOrFail(window);
    if (found == nullptr || buffer == nullptr || bufferChars <= 0) {
        return 0;
    }
    auto capacity = static_cast<size_t>(bufferChars);
    if (found->foreign) {
        return CopyTruncated(found->parent == nullptr ? found->text : std::u16string(), buffer,
                             capacity);
    }
    buffer[0] = u'\0';
    return static_cast<int>(
        m_system->Deliver(window, WM_GETTEXT, capacity, reinterpret_cast<LPARAM>(buffer)));
}

int MachineSystem::GetWindowTextLengthW(HWND window) {
    Window* found = m_system->FindOrFail(window);
    if (found == nullptr) {
        return 0;
    }
    if (found->foreign) {
        return found->parent == nullptr ? static_cast<int>(found->text.size()) : 0;
    }
    return static_cast<int>(m_system->Deliver(window, WM_GETTEXTLENGTH, 0, 0));
}

BOOL MachineSystem::EnableWindow(HWND window, BOOL enable) {
    Window* found = m_system->FindOrFail(window);
    if (found == nullptr) {
        return FALSE;
    }
    bool wasDisabled = !found->enabled;
    found->enabled = enable != FALSE;
    return wasDisabled ? TRUE : FALSE;
}

HWND MachineSystem::FindWindowW(const wchar16* className, const wchar16* windowName) {
    for (HWND window : m_system->windows.topLevel) {
        if (Matches(*m_system->Find(window), className, windowName)) {
            return window;
        }
    }
    SetLastError(ERROR_FILE_NOT_FOUND);
    return nullptr;
}

HWND MachineSystem::FindWindowExW(HWND parent, HWND childAfter, const wchar16* className,
                                  const wchar16* windowName) {
    const std::vector<HWND>* candidates = &m_system->windows.topLevel;
    if (parent != nullptr) {
        Window* found = m_system->FindOrFail(parent);
        if (found == nullptr) {
            return nullptr;
        }
        candidates = &found->children;
    }
    auto next = candidates->begin();
    if (childAfter != nullptr) {
        next = std::find(candidates->begin(), candidates->end(), childAfter);
        if (next == candidates->end()) {
            SetLastError(kErrorInvalidWindowHandle); // not a child of parent
            return nullptr;
        }
        ++next;
    }
    for (; next != candidates->end(); ++next) {
        if (Matches(*m_system->Find(*next), className, windowName)) {
            return *next;
        }
    }
    SetLastError(ERROR_FILE_NOT_FOUND);
    return nullptr;
}

BOOL MachineSystem::IsIconic(HWND window) {
    const Window* found = m_system->Find(window);
    return found != nullptr && found->iconic ? TRUE : FALSE;
}

// Returns whether the window was visible before.
BOOL MachineSystem::ShowWindow(HWND window, int showCommand) {
    constexpr int kShowMinimized = 2;
    constexpr int kShowMinNoActive = 7;
    constexpr int kForceMinimize = 11;
    Window* found = m_system->FindOrFail(window);
    if (found == nullptr) {
        return FALSE;
    }
    bool wasVisible = (found->style & kStyleVisible) != 0;
    found->style |= kStyleVisible;
    switch (showCommand) {
    case SW_HIDE:
        found->style &= ~kStyleVisible;
        break;
    case SW_MINIMIZE:
    case kShowMinimized:
    case kShowMinNoActive:
    case kForceMinimize:
        found->iconic = true;
        break;
    case SW_RESTORE:
        m_system->windows.restored.insert(window);
        found->iconic = false;
        break;
    case SW_SHOWNORMAL:
        found->iconic = false;
        break;
    default:
        break;
    }
    return wasVisible ? TRUE : FALSE;
}

BOOL MachineSystem::SetForegroundWindow(HWND window) {
    if (m_system->FindOrFail(window) == nullptr) {
        return FALSE;
    }
    m_system->windows.foreground = window;
    return TRUE;
}

// ---- Platform: menus ---------------------------------------------------------------------

HMENU MachineSystem::GetSystemMenu(HWND window, BOOL revert) {
    Window* found = m_system->FindOrFail(window);
    if (found == nullptr || found->foreign || (found->style & kStyleSysMenu) == 0) {
        return nullptr;
    }
    WindowState& state = m_system->windows;
    if (revert) {
        if (found->systemMenu != nullptr) {
            state.menus.erase(found->systemMenu);
            found->systemMenu = nullptr;
        }
        return nullptr;
    }
    if (found->systemMenu == nullptr) {
        Menu menu;
        menu.window = window;
        menu.items = m_system->SystemMenuItems(*found);
        found->systemMenu = reinterpret_cast<HMENU>(state.nextMenu);
        state.nextMenu += 4;
        state.menus[found->systemMenu] = std::move(menu);
    }
    return found->systemMenu;
}

BOOL MachineSystem::InsertMenuW(HMENU menu, UINT position, UINT flags, UINT_PTR itemId,
                                const wchar16* text) {
    constexpr UINT kNotText = 0x0004 | 0x0100; // MF_BITMAP, MF_OWNERDRAW
    auto found = m_system->windows.menus.find(menu);
    if (found == m_system->windows.menus.end()) {
        SetLastError(kErrorInvalidMenuHandle);
        return FALSE;
    }
    std::vector<MenuItem>& items = found->second.items;
    MenuItem item;
    item.command = itemId;
    item.separator = (flags & MF_SEPARATOR) != 0;
    if (!item.separator && (flags & kNotText) == 0) {
        item.text = TextOf(text);
    }
    size_t at = items.size(); // a position past the end appends
    if ((flags & MF_BYPOSITION) != 0) {
        at = std::min<size_t>(position, items.size());
    } else {
        auto byCommand = std::find_if(items.begin(), items.end(), [position](const MenuItem& m) {
            return m.command == position;
        });
        if (byCommand == items.end()) {
            SetLastError(kErrorMenuItemNotFound);
            return FALSE;
        }
        at = static_cast<size_t>(byCommand - items.begin());
    }
    items.insert(items.begin() + static_cast<std::ptrdiff_t>(at), std::move(item));
    return TRUE;
}

BOOL MachineSystem::DestroyMenu(HMENU menu) {
    auto found = m_system->windows.menus.find(menu);
    if (found == m_system->windows.menus.end()) {
        SetLastError(kErrorInvalidMenuHandle);
        return FALSE;
    }
    if (Window* window = m_system->Find(found->second.window)) {
        if (window->systemMenu == menu) {
            window->systemMenu = nullptr;
        }
    }
    m_system->windows.menus.erase(found);
    return TRUE;
}

// ---- Platform: painting ------------------------------------------------------------------

HDC MachineSystem::BeginPaint(HWND window, PAINTSTRUCT* paint) {
    if (m_system->FindOrFail(window) == nullptr) {
        return nullptr;
    }
    if (paint == nullptr) {
        SetLastError(kErrorNoAccess);
        return nullptr;
    }
    WindowState& state = m_system->windows;
    auto dc = reinterpret_cast<HDC>(state.nextDc);
    state.nextDc += 4;
    state.paintContexts[dc] = window;
    *paint = PAINTSTRUCT();
    paint->hdc = dc;
    GetClientRect(window, &paint->rcPaint);
    return dc;
}

BOOL MachineSystem::EndPaint(HWND window, const PAINTSTRUCT* paint) {
    if (paint != nullptr) {
        auto found = m_system->windows.paintContexts.find(paint->hdc);
        if (found != m_system->windows.paintContexts.end() && found->second == window) {
            m_system->windows.paintContexts.erase(found);
        }
    }
    return TRUE; // always, as documented
}

// The client area comes from the template in dialog units, converted with the base
// units of an 8-point dialog font at 96 DPI (6 by 13 pixels: x * 6 / 4, y * 13 / 8). A
// minimised window has an empty client area, as on Windows Vista and later.
BOOL MachineSystem::GetClientRect(HWND window, RECT* rect) {
    const Window* found = m_system->FindOrFail(window);
    if (found == nullptr) {
        return FALSE;
    }
    if (rect == nullptr) {
        SetLastError(kErrorNoAccess);
        return FALSE;
    }
    *rect = RECT();
    if (!found->iconic) {
        rect->right = found->clientWidth;
        rect->bottom = found->clientHeight;
    }
    return TRUE;
}

BOOL MachineSystem::DrawIcon(HDC dc, int x, int y, HICON icon) {
    auto context = m_system->windows.paintContexts.find(dc);
    if (context == m_system->windows.paintContexts.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (m_system->windows.loadedIcons.count(icon) == 0) {
        SetLastError(kErrorInvalidIconHandle);
        return FALSE;
    }
    m_system->records.drawnIcons.push_back(DrawnIcon{context->second, dc, x, y, icon});
    return TRUE;
}
