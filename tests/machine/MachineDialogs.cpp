// Modal dialogs and message boxes, driven by the script of user actions. Each modal
// loop takes actions from the front of the script and turns them into the messages
// Windows would send; a dialog or box opened meanwhile takes the next actions itself.

#include "machine/MachineSystemState.h"

#include <algorithm>

using namespace machine_system;

namespace {

constexpr DWORD kMessageBoxStyle = 0x80000000u | 0x10000000u | 0x00C00000u | kStyleSysMenu;
constexpr int kMessageBoxWidth = 320;
constexpr int kMessageBoxHeight = 120;
constexpr int kMessageBoxTextId = 0xFFFF;

// Dialog units to pixels for an 8-point dialog font at 96 DPI (base units 6 by 13).
int PixelsAcross(int dialogUnits) {
    return (dialogUnits * 6 + 2) / 4;
}
int PixelsDown(int dialogUnits) {
    return (dialogUnits * 13 + 4) / 8;
}

std::vector<int> MessageBoxButtons(UINT style) {
    switch (style & kMessageBoxTypeMask) {
    case 0:
        return {IDOK};
    case 1:
        return {IDOK, IDCANCEL};
    case 2:
        return {IDABORT, IDRETRY, IDIGNORE};
    case 3:
        return {IDYES, IDNO, IDCANCEL};
    case 4:
        return {IDYES, IDNO};
    case 5:
        return {IDRETRY, IDCANCEL};
    case 6:
        return {IDCANCEL, kIdTryAgain, kIdContinue};
    default:
        return {};
    }
}

const char16_t* ButtonLabel(int button) {
    switch (button) {
    case IDOK:
        return u"OK";
    case IDCANCEL:
        return u"Cancel";
    case IDABORT:
        return u"&Abort";
    case IDRETRY:
        return u"&Retry";
    case IDIGNORE:
        return u"&Ignore";
    case IDYES:
        return u"&Yes";
    case IDNO:
        return u"&No";
    case kIdTryAgain:
        return u"&Try Again";
    default:
        return u"&Continue";
    }
}

// MB_DEFBUTTON1..4 pick the default by position; one past the buttons means the first.
int DefaultButton(const std::vector<int>& buttons, UINT style) {
    size_t index = (style & kMessageBoxDefaultMask) >> 8;
    return index < buttons.size() ? buttons[index] : buttons.front();
}

} // namespace

// ---- Dialogs -----------------------------------------------------------------------------

DialogRun* MachineSystem::SystemState::RunOf(HWND dialog) {
    for (DialogRun& run : windows.modalStack) {
        if (run.window == dialog) {
            return &run;
        }
    }
    return nullptr;
}

std::string MachineSystem::SystemState::DialogName(HWND dialog) {
    DialogRun* run = RunOf(dialog);
    return run == nullptr ? std::string("the dialog")
                          : "dialog " + std::to_string(records.dialogs[run->record].templateId);
}

HWND MachineSystem::SystemState::CreateDialogWindow(const DialogTemplate& dialog, HWND owner,
                                                    DLGPROC proc) {
    Window& window = Create(owner, false, u"#32770", dialog.caption, dialog.style);
    window.exStyle = dialog.exStyle;
    window.proc = proc;
    window.clientWidth = PixelsAcross(dialog.width);
    window.clientHeight = PixelsDown(dialog.height);
    HWND handle = window.handle;
    for (const TemplateControl& control : dialog.controls) {
        Window& child = Create(handle, true, control.className, control.text, control.style);
        child.id = control.id;
        child.exStyle = control.exStyle;
        child.clientWidth = PixelsAcross(control.width);
        child.clientHeight = PixelsDown(control.height);
    }
    return handle;
}

// The control the dialog manager gives the focus: the first enabled, visible tab stop.
HWND MachineSystem::SystemState::FirstTabStop(HWND dialog) const {
    for (HWND child : Find(dialog)->children) {
        const Window& control = *Find(child);
        DWORD wanted = kStyleTabStop | kStyleVisible;
        if ((control.style & wanted) == wanted && control.enabled) {
            return child;
        }
    }
    return nullptr;
}

void MachineSystem::SystemState::RecordAfterInit(HWND dialog, size_t record) {
    const Window* window = Find(dialog);
    if (window == nullptr) {
        return;
    }
    ShownDialog& shown = records.dialogs[record];
    shown.caption = window->text;
    shown.controlsAfterInit = SnapshotControls(dialog);
    shown.systemMenuAfterInit = SystemMenuTexts(*window);
    shown.bigIcon = window->bigIcon;
    const Window* owner = Find(shown.owner);
    shown.ownerDisabledWhileShown = owner != nullptr && !owner->enabled;
}

void MachineSystem::SystemState::RunModalLoop(HWND dialog) {
    for (;;) {
        DialogRun* run = RunOf(dialog);
        if (run == nullptr || run->ended || Find(dialog) == nullptr) {
            return;
        }
        if (script.empty()) {
            EndForExhaustedScript(dialog);
            return;
        }
        UserAction action = std::move(script.front());
        script.pop_front();
        Perform(dialog, action);
    }
}

// The script has nothing for a dialog that is up: leave it as Escape would, and if its
// procedure does not close it then, close it anyway so that no test hangs.
void MachineSystem::SystemState::EndForExhaustedScript(HWND dialog) {
    records.scriptExhausted = true;
    HWND cancel = ChildById(dialog, IDCANCEL);
    Deliver(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(cancel));
    DialogRun* run = RunOf(dialog);
    if (run != nullptr && !run->ended) {
        EndRun(*run, IDCANCEL);
    }
}

// Ends the modal loop and gives the owner back its input, as EndDialog does.
void MachineSystem::SystemState::EndRun(DialogRun& run, INT_PTR result) {
    run.ended = true;
    run.result = result;
    if (Window* owner = Find(run.disabledOwner)) {
        owner->enabled = true;
    }
    run.disabledOwner = nullptr;
}

void MachineSystem::SystemState::Refuse(const std::string& description) {
    records.refusedActions.push_back(description);
}

void MachineSystem::SystemState::Perform(HWND dialog, const UserAction& action) {
    using Kind = UserAction::Kind;
    switch (action.kind) {
    case Kind::PressOk:
        PressButton(dialog, IDOK, "PressOk");
        return;
    case Kind::PressCancel:
        PressButton(dialog, IDCANCEL, "PressCancel");
        return;
    case Kind::PressEscape: {
        HWND cancel = ChildById(dialog, IDCANCEL);
        Deliver(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                reinterpret_cast<LPARAM>(cancel));
        return;
    }
    case Kind::CloseBox:
        if ((Find(dialog)->style & kStyleSysMenu) == 0) {
            Refuse("CloseBox: " + DialogName(dialog) + " has no close box");
            return;
        }
        Deliver(dialog, WM_SYSCOMMAND, kSysCommandClose, 0);
        return;
    case Kind::SelectItem:
        SelectItem(dialog, action);
        return;
    case Kind::ClickCheckBox:
        ClickCheckBox(dialog, action);
        return;
    case Kind::SystemMenu:
        ChooseFromSystemMenu(dialog, action.command);
        return;
    case Kind::AnswerMessageBox:
        Refuse("AnswerMessageBox: no message box is up, " + DialogName(dialog) + " is");
        return;
    case Kind::Inspect:
        if (action.inspect) {
            action.inspect(dialog);
        }
        return;
    case Kind::Minimize:
    case Kind::Restore:
        SetIconic(dialog, action.kind == Kind::Minimize);
        Deliver(dialog, WM_PAINT, 0, 0);
        return;
    }
}

void MachineSystem::SystemState::PressButton(HWND dialog, int id, const char* actionName) {
    const Window* button = Find(ChildById(dialog, id));
    if (button == nullptr || button->className != u"Button" || !button->enabled) {
        Refuse(std::string(actionName) + ": " + DialogName(dialog) + " has no enabled button " +
               std::to_string(id));
        return;
    }
    ClickButton(button->handle);
}

// As the user picks an item from the list: the selection changes, then the parent hears.
void MachineSystem::SystemState::SelectItem(HWND dialog, const UserAction& action) {
    Window* combo = Find(ChildById(dialog, action.controlId));
    std::string what =
        "SelectItem(" + std::to_string(action.controlId) + ", \"" + Narrow(action.text) + "\"): ";
    if (combo == nullptr || combo->className != u"ComboBox" || !combo->enabled) {
        Refuse(what + DialogName(dialog) + " has no such enabled combo box");
        return;
    }
    auto item = std::find(combo->items.begin(), combo->items.end(), action.text);
    if (item == combo->items.end()) {
        Refuse(what + "no such item");
        return;
    }
    Deliver(combo->handle, CB_SETCURSEL, static_cast<WPARAM>(item - combo->items.begin()), 0);
    NotifyParent(*combo, CBN_SELCHANGE);
}

void MachineSystem::SystemState::ClickCheckBox(HWND dialog, const UserAction& action) {
    const Window* box = Find(ChildById(dialog, action.controlId));
    DWORD type = box == nullptr ? 0 : box->style & kButtonTypeMask;
    bool checkBox = type == kButtonCheckBox || type == kButtonAutoCheckBox ||
                    type == kButton3State || type == kButtonAuto3State;
    if (box == nullptr || box->className != u"Button" || !checkBox || !box->enabled) {
        Refuse("ClickCheckBox(" + std::to_string(action.controlId) + "): " + DialogName(dialog) +
               " has no such enabled check box");
        return;
    }
    ClickButton(box->handle);
}

void MachineSystem::SystemState::ChooseFromSystemMenu(HWND dialog, UINT_PTR command) {
    std::vector<MenuItem> items = SystemMenuItems(*Find(dialog));
    bool offered = std::any_of(items.begin(), items.end(), [command](const MenuItem& item) {
        return !item.separator && item.command == command;
    });
    if (!offered) {
        Refuse("SystemMenu(" + std::to_string(command) + "): not in the system menu of " +
               DialogName(dialog));
        return;
    }
    Deliver(dialog, WM_SYSCOMMAND, command, 0);
}

INT_PTR MachineSystem::DialogBoxParamW(HINSTANCE instance, const wchar16* templateName, HWND owner,
                                       DLGPROC dialogProc, LPARAM initParam) {
    if (!m_system->IsProgramInstance(instance)) {
        SetLastError(kErrorResourceDataNotFound);
        return -1;
    }
    int id = ResourceIdOf(templateName);
    const DialogTemplate* dialog = id < 0 ? nullptr : ProgramResources().Dialog(id, uiLanguage);
    if (dialog == nullptr) {
        SetLastError(kErrorResourceNameNotFound);
        return -1;
    }
    if (owner != nullptr && m_system->FindOrFail(owner) == nullptr) {
        return -1;
    }
    // The owner of a modal dialog is a top-level window, disabled for as long as it runs.
    DialogRun run;
    HWND root = owner == nullptr ? nullptr : m_system->RootOf(owner);
    if (Window* ownerWindow = m_system->Find(root);
        ownerWindow != nullptr && ownerWindow->enabled) {
        ownerWindow->enabled = false;
        run.disabledOwner = root;
    }
    run.window = m_system->CreateDialogWindow(*dialog, root, dialogProc);
    run.record = m_system->records.dialogs.size();
    ShownDialog shown;
    shown.templateId = id;
    shown.language = dialog->language;
    shown.window = run.window;
    shown.owner = root;
    shown.caption = dialog->caption;
    m_system->records.dialogs.push_back(std::move(shown));
    m_system->windows.modalStack.push_back(run);
    return m_system->RunDialog(run.window, run.record, initParam);
}

INT_PTR MachineSystem::SystemState::RunDialog(HWND dialog, size_t record, LPARAM initParam) {
    Deliver(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(FirstTabStop(dialog)), initParam);
    RecordAfterInit(dialog, record);
    RunModalLoop(dialog);

    DialogRun finished;
    auto& stack = windows.modalStack;
    auto run = std::find_if(stack.begin(), stack.end(),
                            [dialog](const DialogRun& r) { return r.window == dialog; });
    if (run != stack.end()) {
        finished = *run;
        stack.erase(run);
    }
    records.dialogs[record].controlsAtEnd = SnapshotControls(dialog);
    if (Find(dialog) != nullptr) {
        Deliver(dialog, WM_DESTROY, 0, 0);
    }
    DestroyTree(dialog);
    if (Window* owner = Find(finished.disabledOwner)) {
        owner->enabled = true;
    }
    records.dialogs[record].result = finished.result;
    return finished.result;
}

BOOL MachineSystem::EndDialog(HWND dialog, INT_PTR result) {
    DialogRun* run = m_system->RunOf(dialog);
    if (run == nullptr) {
        SetLastError(kErrorInvalidWindowHandle);
        return FALSE;
    }
    m_system->EndRun(*run, result);
    return TRUE;
}

// ---- Message boxes -----------------------------------------------------------------------

HWND MachineSystem::SystemState::CreateMessageBoxWindow(HWND owner, std::u16string_view text,
                                                        std::u16string_view caption,
                                                        const std::vector<int>& buttons,
                                                        int defaultButton) {
    Window& box = Create(owner, false, u"#32770", std::u16string(caption), kMessageBoxStyle);
    box.clientWidth = kMessageBoxWidth;
    box.clientHeight = kMessageBoxHeight;
    HWND handle = box.handle;
    Window& label =
        Create(handle, true, u"Static", std::u16string(text), kStyleChild | kStyleVisible);
    label.id = kMessageBoxTextId;
    for (int button : buttons) {
        DWORD style = kStyleChild | kStyleVisible | kStyleTabStop |
                      (button == defaultButton ? kButtonDefPush : 0);
        Create(handle, true, u"Button", ButtonLabel(button), style).id = button;
    }
    return handle;
}

// Takes the box's answer from the script. Inspections run with the box's handle; an
// answer the box does not offer is refused; any other action belongs to the dialog
// below, so it stays in the script and the box takes its default button.
int MachineSystem::SystemState::MessageBoxAnswer(HWND box, const std::vector<int>& buttons,
                                                 int defaultButton) {
    for (;;) {
        if (script.empty() || (script.front().kind != UserAction::Kind::AnswerMessageBox &&
                               script.front().kind != UserAction::Kind::Inspect)) {
            records.scriptExhausted = true;
            return defaultButton;
        }
        UserAction action = std::move(script.front());
        script.pop_front();
        if (action.kind == UserAction::Kind::Inspect) {
            if (action.inspect) {
                action.inspect(box);
            }
            continue;
        }
        if (std::find(buttons.begin(), buttons.end(), action.answer) != buttons.end()) {
            return action.answer;
        }
        // Escape and the close box answer IDOK in a box that has only OK.
        if (action.answer == IDCANCEL && buttons == std::vector<int>{IDOK}) {
            return IDOK;
        }
        Refuse("AnswerMessageBox(" + std::to_string(action.answer) +
               "): the message box offers no such button");
    }
}

int MachineSystem::MessageBoxW(HWND owner, const wchar16* text, const wchar16* caption,
                               UINT style) {
    std::vector<int> buttons = MessageBoxButtons(style);
    if (buttons.empty()) {
        SetLastError(kErrorInvalidMessageBoxStyle);
        return 0;
    }
    if (owner != nullptr && m_system->FindOrFail(owner) == nullptr) {
        return 0;
    }
    HWND root = owner == nullptr ? nullptr : m_system->RootOf(owner);
    Window* ownerWindow = m_system->Find(root);
    bool disabledOwner = ownerWindow != nullptr && ownerWindow->enabled;
    if (disabledOwner) {
        ownerWindow->enabled = false;
    }
    std::u16string_view shownCaption = caption == nullptr ? u"Error" : TextOf(caption);
    int defaultButton = DefaultButton(buttons, style);
    HWND box =
        m_system->CreateMessageBoxWindow(root, TextOf(text), shownCaption, buttons, defaultButton);

    size_t record = m_system->records.messageBoxes.size();
    ShownMessageBox shown;
    shown.owner = owner;
    shown.text = TextOf(text);
    shown.caption = shownCaption;
    shown.style = style;
    m_system->records.messageBoxes.push_back(std::move(shown));

    int answer = m_system->MessageBoxAnswer(box, buttons, defaultButton);
    m_system->records.messageBoxes[record].answer = answer;
    m_system->DestroyTree(box);
    if (Window* restored = m_system->Find(root); restored != nullptr && disabledOwner) {
        restored->enabled = true;
    }
    return answer;
}
