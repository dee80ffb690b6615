#include "machine/MachineSystemState.h"

using namespace machine_system;

// ---- Text helpers ------------------------------------------------------------------------

namespace machine_system {

wchar16 UpperAscii(wchar16 c) {
    return c >= u'a' && c <= u'z' ? static_cast<wchar16>(c - (u'a' - u'A')) : c;
}

std::u16string UpperAscii(std::u16string_view text) {
    std::u16string upper(text);
    for (wchar16& c : upper) {
        c = UpperAscii(c);
    }
    return upper;
}

bool SameTextNoCase(std::u16string_view left, std::u16string_view right) {
    return UpperAscii(left) == UpperAscii(right);
}

std::u16string_view TextOf(const wchar16* text) {
    return text == nullptr ? std::u16string_view() : std::u16string_view(text);
}

int ResourceIdOf(const wchar16* name) {
    auto value = reinterpret_cast<uintptr_t>(name);
    if (value < 0x10000) {
        return static_cast<int>(value); // MAKEINTRESOURCE
    }
    std::u16string_view text(name);
    if (text.size() < 2 || text.size() > 6 || text[0] != u'#') {
        return -1;
    }
    int id = 0;
    for (wchar16 c : text.substr(1)) {
        if (c < u'0' || c > u'9') {
            return -1;
        }
        id = id * 10 + (c - u'0');
    }
    return id <= 0xFFFF ? id : -1;
}

int CopyTruncated(std::u16string_view text, wchar16* buffer, size_t capacity) {
    size_t count = text.size() < capacity ? text.size() : capacity - 1;
    text.copy(buffer, count);
    buffer[count] = u'\0';
    return static_cast<int>(count);
}

std::string Narrow(std::u16string_view text) {
    std::string narrow;
    for (wchar16 c : text) {
        narrow.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    }
    return narrow;
}

HINSTANCE ProgramInstance() {
    return reinterpret_cast<HINSTANCE>(static_cast<uintptr_t>(0x00400000)); // image base
}

HMODULE Kernel32Module() {
    return reinterpret_cast<HMODULE>(static_cast<uintptr_t>(0x75A00000));
}

} // namespace machine_system

// ---- Script actions ----------------------------------------------------------------------

UserAction UserAction::Select(int controlId, std::u16string itemText) {
    UserAction action = Of(Kind::SelectItem);
    action.controlId = controlId;
    action.text = std::move(itemText);
    return action;
}

UserAction UserAction::ClickCheck(int controlId) {
    UserAction action = Of(Kind::ClickCheckBox);
    action.controlId = controlId;
    return action;
}

UserAction UserAction::ChooseSystemMenu(UINT_PTR command) {
    UserAction action = Of(Kind::SystemMenu);
    action.command = command;
    return action;
}

UserAction UserAction::Answer(int button) {
    UserAction action = Of(Kind::AnswerMessageBox);
    action.answer = button;
    return action;
}

UserAction UserAction::Look(std::function<void(HWND dialog)> inspect) {
    UserAction action = Of(Kind::Inspect);
    action.inspect = std::move(inspect);
    return action;
}

// ---- Construction and planting -----------------------------------------------------------

MachineSystem::MachineSystem() : m_system(std::make_unique<SystemState>(*this)) {
    systemMetrics[SM_CXICON] = 32;
    systemMetrics[SM_CYICON] = 32;
    SetEnvironment(u"ProgramFiles", u"C:\\Program Files (x86)");
    SetEnvironment(u"ProgramW6432", u"C:\\Program Files");
    SetEnvironment(u"SystemRoot", u"C:\\Windows");
}

MachineSystem::~MachineSystem() = default;

void MachineSystem::SetEnvironment(const std::u16string& name, const std::u16string& value) {
    m_system->environment[UpperAscii(name)] = EnvironmentVariable{name, value};
}

void MachineSystem::UnsetEnvironment(const std::u16string& name) {
    m_system->environment.erase(UpperAscii(name));
}

void MachineSystem::SetScript(std::vector<UserAction> actions) {
    m_system->script.assign(std::make_move_iterator(actions.begin()),
                            std::make_move_iterator(actions.end()));
}

// ---- Inspection --------------------------------------------------------------------------

const std::vector<ShownDialog>& MachineSystem::Dialogs() const {
    return m_system->records.dialogs;
}

const std::vector<ShownMessageBox>& MachineSystem::MessageBoxes() const {
    return m_system->records.messageBoxes;
}

const std::vector<ShellLaunch>& MachineSystem::Launches() const {
    return m_system->records.launches;
}

size_t MachineSystem::ScriptRemaining() const {
    return m_system->script.size();
}

bool MachineSystem::ScriptExhausted() const {
    return m_system->records.scriptExhausted;
}

const std::vector<std::string>& MachineSystem::RefusedActions() const {
    return m_system->records.refusedActions;
}

const std::vector<DrawnIcon>& MachineSystem::DrawnIcons() const {
    return m_system->records.drawnIcons;
}

HWND MachineSystem::ForegroundWindow() const {
    return m_system->windows.foreground;
}

bool MachineSystem::WasRestored(HWND window) const {
    return m_system->windows.restored.count(window) != 0;
}

ControlState MachineSystem::Control(HWND dialog, int controlId) const {
    HWND control = m_system->ChildById(dialog, controlId);
    const Window* window = m_system->Find(control);
    return window == nullptr ? ControlState() : m_system->Snapshot(*window);
}

bool MachineSystem::WindowEnabled(HWND window) const {
    const Window* found = m_system->Find(window);
    return found != nullptr && found->enabled;
}

size_t MachineSystem::OpenHandleCount() const {
    return m_system->kernel.handles.size() + m_system->sids.size() +
           m_system->windows.menus.size() + m_system->windows.paintContexts.size();
}
