// The Windows build's system under test: the Win32 adapter, on the running system (under
// Wine, the prefix tests/wine/contract.sh prepared).

#include "contract/ContractEnvironment.h"
#include "platform/win32/Win32Platform.h"

#include <gtest/gtest.h>

#include <vector>

namespace contract {

namespace {

struct HandleCloser {
    void operator()(HANDLE handle) const { ::CloseHandle(handle); }
};
using OwnedHandle = std::unique_ptr<void, HandleCloser>;

LPCWSTR Wide(const std::u16string& text) {
    return reinterpret_cast<LPCWSTR>(text.c_str());
}

} // namespace

struct ContractSystem::Parts {
    ScopedPlatform installed{Win32PlatformInstance()};
    std::vector<OwnedHandle> heldObjects;
};

ContractSystem::ContractSystem() : m_parts(std::make_unique<Parts>()) {}

// The seam's RegDeleteKeyW cannot name the 64-bit view of a key right under SOFTWARE,
// so the (by now empty) roots of the scratch keys are removed here.
ContractSystem::~ContractSystem() {
    ::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\QuenlathContract", KEY_WOW64_64KEY, 0);
    ::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\QuenlathContract", KEY_WOW64_32KEY, 0);
    ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, L"SYSTEM\\QuenlathContract");
}

void ContractSystem::HoldForeignEvent(const std::u16string& name) {
    HANDLE event = ::CreateEventW(nullptr, TRUE, FALSE, Wide(name));
    if (event == nullptr) {
        ADD_FAILURE() << "CreateEventW failed with " << ::GetLastError();
        return;
    }
    m_parts->heldObjects.emplace_back(event);
}

std::u16string ContractSystem::PlantAbsentOpticalDrive() {
    ADD_FAILURE() << "a device that is not present cannot be planted on this system";
    return u"";
}

bool RunsOnWine() {
    HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

wchar16 UndefinedDriveLetter() {
    DWORD defined = ::GetLogicalDrives();
    for (wchar16 letter = u'Q'; letter <= u'Z'; ++letter) {
        if ((defined & (1u << (letter - u'A'))) == 0) {
            return letter;
        }
    }
    ADD_FAILURE() << "every letter from Q: to Z: is defined";
    return u'Q';
}

} // namespace contract
