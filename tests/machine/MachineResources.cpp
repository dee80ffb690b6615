// The resource loader: strings and icons from the program's own resource scripts, in
// the user-interface language when the program has it, else in English.

#include "machine/MachineSystemState.h"

using namespace machine_system;

namespace {

constexpr int kFirstSystemIcon = 32512; // IDI_APPLICATION
constexpr int kLastSystemIcon = 32518;  // IDI_SHIELD

HICON IconHandle(uintptr_t base, int id) {
    return reinterpret_cast<HICON>(base + static_cast<uintptr_t>(id) * 4);
}

} // namespace

// A null module handle means the program's own executable for resource lookups.
bool MachineSystem::SystemState::IsProgramInstance(HINSTANCE instance) const {
    return instance == nullptr || instance == ProgramInstance();
}

// With a capacity of 0 Windows would store a read-only pointer to the resource text in
// the buffer; the program never asks for it, so only the length is answered.
int MachineSystem::LoadStringW(HINSTANCE instance, UINT id, wchar16* buffer, int bufferChars) {
    if (!m_system->IsProgramInstance(instance)) {
        SetLastError(kErrorResourceDataNotFound);
        return 0;
    }
    const ResourceSet& resources = ProgramResources();
    if (!resources.HasStringBlock(id)) {
        SetLastError(kErrorResourceNameNotFound);
        return 0;
    }
    const std::u16string* text = resources.String(id, uiLanguage);
    if (bufferChars == 0) {
        return text == nullptr ? 0 : static_cast<int>(text->size());
    }
    if (buffer == nullptr || bufferChars < 0) {
        return 0;
    }
    // A string missing from its block reads as empty.
    return CopyTruncated(text == nullptr ? std::u16string_view() : std::u16string_view(*text),
                         buffer, static_cast<size_t>(bufferChars));
}

std::u16string MachineSystem::LoadedString(UINT id) const {
    const std::u16string* text = ProgramResources().String(id, uiLanguage);
    return text == nullptr ? std::u16string() : *text;
}

// LoadIconW with a null module loads the system's icons; the program's come from its
// module. The same resource gives the same (shared) handle each time.
HICON MachineSystem::LoadIconW(HINSTANCE instance, const wchar16* iconName) {
    constexpr uintptr_t kProgramIcons = 0x00500000;
    constexpr uintptr_t kSystemIcons = 0x00700000;
    int id = ResourceIdOf(iconName);
    HICON icon = nullptr;
    if (instance == nullptr) {
        if (id >= kFirstSystemIcon && id <= kLastSystemIcon) {
            icon = IconHandle(kSystemIcons, id);
        }
    } else if (instance != ProgramInstance()) {
        SetLastError(kErrorResourceDataNotFound);
        return nullptr;
    } else if (id >= 0 && ProgramResources().HasIcon(id)) {
        icon = IconHandle(kProgramIcons, id);
    }
    if (icon == nullptr) {
        SetLastError(kErrorResourceNameNotFound);
        return nullptr;
    }
    m_system->windows.loadedIcons.insert(icon);
    return icon;
}
