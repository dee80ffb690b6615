// The machine's registry: a tree of keys per hive, handles to opened keys, the
// WOW64 view of HKLM\SOFTWARE, per-key access masks and the call log.

#include "machine/MachineState.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

using namespace machine_detail;

namespace {

const std::u16string kWow64Node = u"WOW6432Node";

bool IsPredefined(HKEY key) {
    return key == HKEY_LOCAL_MACHINE || key == HKEY_CURRENT_USER;
}

std::shared_ptr<RegKey> HiveOf(const RegistryState& reg, HKEY root) {
    if (root == HKEY_LOCAL_MACHINE) {
        return reg.localMachine;
    }
    if (root == HKEY_CURRENT_USER) {
        return reg.currentUser;
    }
    return nullptr;
}

// The key an open handle or a predefined root stands for, and the rights it was opened
// with; null for an unknown handle.
std::shared_ptr<RegKey> KeyOfHandle(const RegistryState& reg, HKEY handle, REGSAM* granted) {
    if (IsPredefined(handle)) {
        *granted = kEveryRight;
        return HiveOf(reg, handle);
    }
    auto found = reg.handles.find(handle);
    if (found == reg.handles.end()) {
        return nullptr;
    }
    *granted = found->second.granted;
    return found->second.key;
}

// Splits "A\B\C" into its names. Windows refuses a leading backslash; a trailing one
// is harmless.
bool SplitPath(std::u16string_view path, std::vector<std::u16string>& names) {
    names.clear();
    if (!path.empty() && path.front() == u'\\') {
        return false;
    }
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find(u'\\', start);
        if (end == std::u16string_view::npos) {
            end = path.size();
        }
        if (end > start) {
            names.emplace_back(path.substr(start, end - start));
        }
        start = end + 1;
    }
    return true;
}

std::vector<std::u16string> PlantingPath(const std::u16string& path) {
    std::vector<std::u16string> names;
    size_t first = path.find_first_not_of(u'\\');
    SplitPath(first == std::u16string::npos ? u"" : std::u16string_view(path).substr(first), names);
    return names;
}

// A 32-bit process sees the children of HKLM\SOFTWARE under HKLM\SOFTWARE\WOW6432Node
// unless it asks for the 64-bit view.
bool Redirects(REGSAM access, bool is64BitWindows) {
    return is64BitWindows && (access & KEY_WOW64_64KEY) == 0;
}

bool RedirectsView(RegView view, bool is64BitWindows) {
    return is64BitWindows && view != RegView::View64;
}

bool IsRedirectedParent(const RegistryState& reg, const RegKey& key) {
    return key.parent == reg.localMachine.get() && EqualNoCase(key.name, u"SOFTWARE");
}

RegKey* FindChild(RegKey& key, const std::u16string& name) {
    auto found = key.subkeys.find(Fold(name));
    return found == key.subkeys.end() ? nullptr : found->second.get();
}

RegKey* AddChild(RegKey& key, const std::u16string& name) {
    auto child = std::make_shared<RegKey>();
    child->name = name;
    child->parent = &key;
    RegKey* raw = child.get();
    key.subkeys[Fold(name)] = std::move(child);
    return raw;
}

// The key under which childName is looked up, as the chosen view sees key.
RegKey* ViewedParent(const RegistryState& reg, RegKey& key, const std::u16string& childName,
                     bool redirect, bool create) {
    if (!redirect || !IsRedirectedParent(reg, key) || EqualNoCase(childName, kWow64Node)) {
        return &key;
    }
    RegKey* redirected = FindChild(key, kWow64Node);
    if (redirected == nullptr && create) {
        redirected = AddChild(key, kWow64Node);
    }
    return redirected;
}

RegKey* FindPath(const RegistryState& reg, RegKey& start, const std::vector<std::u16string>& names,
                 bool redirect) {
    RegKey* key = &start;
    for (const std::u16string& name : names) {
        RegKey* parent = ViewedParent(reg, *key, name, redirect, false);
        key = parent == nullptr ? nullptr : FindChild(*parent, name);
        if (key == nullptr) {
            return nullptr;
        }
    }
    return key;
}

struct CreatedPath {
    LSTATUS status = ERROR_SUCCESS;
    RegKey* key = nullptr;
    bool created = false;
};

// Creates the missing keys along names. A new key needs the right to create subkeys
// in its parent, unless the machine is being planted.
CreatedPath CreatePath(const RegistryState& reg, RegKey& start,
                       const std::vector<std::u16string>& names, bool redirect, bool checkRights) {
    CreatedPath result;
    result.key = &start;
    for (const std::u16string& name : names) {
        RegKey* parent = ViewedParent(reg, *result.key, name, redirect, true);
        RegKey* child = FindChild(*parent, name);
        if (child == nullptr) {
            if (checkRights && (parent->grantedMask & KEY_CREATE_SUB_KEY) == 0) {
                result.status = ERROR_ACCESS_DENIED;
                return result;
            }
            child = AddChild(*parent, name);
            result.created = true;
        }
        result.key = child;
    }
    return result;
}

// The rights a request asks for once generic rights are mapped, the view flags dropped
// and MAXIMUM_ALLOWED resolved against what the key grants.
REGSAM RequestedRights(REGSAM access, REGSAM grantable) {
    REGSAM rights = access & ~(kViewFlags | kMaximumAllowed | kGenericRead | kGenericWrite |
                               kGenericExecute | kGenericAll);
    if ((access & (kGenericRead | kGenericExecute)) != 0) {
        rights |= KEY_READ;
    }
    if ((access & kGenericWrite) != 0) {
        rights |= KEY_WRITE;
    }
    if ((access & kGenericAll) != 0) {
        rights |= KEY_ALL_ACCESS;
    }
    if ((access & kMaximumAllowed) != 0) {
        rights |= grantable;
    }
    return rights;
}

HKEY NewHandle(RegistryState& reg, RegKey* key, REGSAM granted) {
    // Multiples of 4 from 0x1000: never a predefined root, never null, never reused.
    HKEY handle = reinterpret_cast<HKEY>(reg.nextHandle);
    reg.nextHandle += 4;
    reg.handles[handle] = OpenRegKey{key->shared_from_this(), granted};
    return handle;
}

// The key behind a handle, checked for use with the given right.
LSTATUS UsableKey(const RegistryState& reg, HKEY handle, REGSAM neededRight, RegKey** key) {
    REGSAM granted = 0;
    std::shared_ptr<RegKey> found = KeyOfHandle(reg, handle, &granted);
    if (found == nullptr) {
        return ERROR_INVALID_HANDLE;
    }
    if (found->deleted) {
        return ERROR_KEY_DELETED;
    }
    if ((granted & neededRight) != neededRight) {
        return ERROR_ACCESS_DENIED;
    }
    *key = found.get();
    return ERROR_SUCCESS;
}

// The key a path starts from and the path's names, or why the path cannot be followed.
LSTATUS StartOfPath(RegistryState& reg, HKEY root, const wchar16* subKey, RegKey** start,
                    std::vector<std::u16string>& names) {
    LSTATUS status = UsableKey(reg, root, 0, start);
    if (status == ERROR_SUCCESS && !SplitPath(View(subKey), names)) {
        status = ERROR_BAD_PATHNAME;
    }
    return status;
}

LSTATUS OpenKey(RegistryState& reg, bool is64BitWindows, HKEY root, const wchar16* subKey,
                REGSAM access, HKEY* result) {
    // As documented: an empty subkey of a predefined root hands back the root itself.
    if (result != nullptr && View(subKey).empty() && IsPredefined(root)) {
        *result = root;
        return ERROR_SUCCESS;
    }
    if (result == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    *result = nullptr;
    RegKey* start = nullptr;
    std::vector<std::u16string> names;
    LSTATUS status = StartOfPath(reg, root, subKey, &start, names);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    RegKey* key = FindPath(reg, *start, names, Redirects(access, is64BitWindows));
    if (key == nullptr) {
        return ERROR_FILE_NOT_FOUND;
    }
    REGSAM rights = RequestedRights(access, key->grantedMask);
    if ((rights & ~key->grantedMask) != 0) {
        return ERROR_ACCESS_DENIED;
    }
    *result = NewHandle(reg, key, rights);
    return ERROR_SUCCESS;
}

LSTATUS CreateKey(RegistryState& reg, bool is64BitWindows, HKEY root, const wchar16* subKey,
                  REGSAM access, HKEY* result, DWORD* disposition) {
    if (result == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    *result = nullptr;
    RegKey* start = nullptr;
    std::vector<std::u16string> names;
    LSTATUS status = StartOfPath(reg, root, subKey, &start, names);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    CreatedPath path = CreatePath(reg, *start, names, Redirects(access, is64BitWindows), true);
    if (path.status != ERROR_SUCCESS) {
        return path.status;
    }
    REGSAM rights = RequestedRights(access, path.key->grantedMask);
    if ((rights & ~path.key->grantedMask) != 0) {
        return ERROR_ACCESS_DENIED;
    }
    *result = NewHandle(reg, path.key, rights);
    if (disposition != nullptr) {
        *disposition = path.created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    }
    return ERROR_SUCCESS;
}

// Makes a string value longer inside its terminator, other values at their end.
void Grow(RegValue& value, DWORD extraBytes) {
    if (value.reportedSize) {
        *value.reportedSize += extraBytes;
        return;
    }
    bool isString =
        value.type == REG_SZ || value.type == REG_EXPAND_SZ || value.type == REG_MULTI_SZ;
    size_t size = value.bytes.size();
    bool terminated = size >= 2 && value.bytes[size - 1] == 0 && value.bytes[size - 2] == 0;
    auto at =
        value.bytes.begin() + static_cast<std::ptrdiff_t>(isString && terminated ? size - 2 : size);
    std::vector<uint8_t> filler(extraBytes);
    for (size_t i = 0; i < filler.size(); ++i) {
        filler[i] = (i % 2 == 0 || !isString) ? uint8_t{'X'} : uint8_t{0};
    }
    value.bytes.insert(at, filler.begin(), filler.end());
}

void ApplyGrowthAfterSizeQuery(RegKey& key, const std::u16string& foldedName) {
    auto pending = key.growthAfterSizeQuery.find(foldedName);
    if (pending == key.growthAfterSizeQuery.end()) {
        return;
    }
    Grow(key.values.at(foldedName), pending->second);
    key.growthAfterSizeQuery.erase(pending);
}

LSTATUS QueryValue(RegistryState& reg, HKEY handle, const wchar16* valueName, DWORD* type,
                   BYTE* data, DWORD* dataSize) {
    if (data != nullptr && dataSize == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    RegKey* key = nullptr;
    LSTATUS status = UsableKey(reg, handle, KEY_QUERY_VALUE, &key);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    std::u16string folded = Fold(View(valueName));
    auto found = key->values.find(folded);
    if (found == key->values.end()) {
        return ERROR_FILE_NOT_FOUND;
    }
    const RegValue& value = found->second;
    DWORD size = value.Size();
    if (type != nullptr) {
        *type = value.type;
    }
    if (data == nullptr) {
        if (dataSize != nullptr) {
            *dataSize = size;
            ApplyGrowthAfterSizeQuery(*key, folded);
        }
        return ERROR_SUCCESS;
    }
    if (*dataSize < size) {
        *dataSize = size;
        return ERROR_MORE_DATA;
    }
    if (value.reportedSize) {
        std::memset(data, 0, size); // the caller really offered that much room
    } else if (size != 0) {
        std::memcpy(data, value.bytes.data(), size);
    }
    *dataSize = size;
    return ERROR_SUCCESS;
}

void StoreValue(RegKey& key, std::u16string_view name, DWORD type, std::vector<uint8_t> bytes,
                std::optional<DWORD> reportedSize = std::nullopt) {
    RegValue& value = key.values[Fold(name)];
    if (value.name.empty()) {
        value.name = std::u16string(name);
    }
    value.type = type;
    value.bytes = std::move(bytes);
    value.reportedSize = reportedSize;
}

// Windows counts a string's terminator that the caller left out of dataSize when one
// follows the counted text: "abc" counted as 6 bytes is stored as 8. Like Windows, this
// reads the character after the counted ones.
DWORD StoredSize(DWORD type, const BYTE* data, DWORD dataSize) {
    bool isString = type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
    if (!isString || dataSize < sizeof(wchar16)) {
        return dataSize;
    }
    auto charAt = [data](size_t index) {
        return static_cast<wchar16>(data[2 * index] | (data[2 * index + 1] << 8));
    };
    size_t last = dataSize / sizeof(wchar16) - 1;
    return charAt(last) != 0 && charAt(last + 1) == 0 ? dataSize + sizeof(wchar16) : dataSize;
}

LSTATUS SetValue(RegistryState& reg, HKEY handle, const wchar16* valueName, DWORD type,
                 const BYTE* data, DWORD dataSize) {
    if (data == nullptr && dataSize != 0) {
        return ERROR_NOACCESS;
    }
    RegKey* key = nullptr;
    LSTATUS status = UsableKey(reg, handle, KEY_SET_VALUE, &key);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    std::vector<uint8_t> bytes(data, data + StoredSize(type, data, dataSize));
    StoreValue(*key, View(valueName), type, std::move(bytes));
    return ERROR_SUCCESS;
}

LSTATUS DeleteKey(RegistryState& reg, bool is64BitWindows, HKEY root, const wchar16* subKey) {
    if (subKey == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    RegKey* start = nullptr;
    std::vector<std::u16string> names;
    LSTATUS status = StartOfPath(reg, root, subKey, &start, names);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    RegKey* key = FindPath(reg, *start, names, Redirects(0, is64BitWindows));
    if (key == nullptr) {
        return ERROR_FILE_NOT_FOUND;
    }
    // Windows answers ERROR_ACCESS_DENIED for a key that still has subkeys.
    if (key->parent == nullptr || (key->grantedMask & kDelete) == 0 || !key->subkeys.empty()) {
        return ERROR_ACCESS_DENIED;
    }
    // Handles still open on the key keep it alive, marked deleted.
    key->deleted = true;
    RegKey* parent = key->parent;
    key->parent = nullptr;
    parent->subkeys.erase(Fold(key->name));
    return ERROR_SUCCESS;
}

LSTATUS DeleteValue(RegistryState& reg, HKEY handle, const wchar16* valueName) {
    RegKey* key = nullptr;
    LSTATUS status = UsableKey(reg, handle, KEY_SET_VALUE, &key);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    if (key->values.erase(Fold(View(valueName))) == 0) {
        return ERROR_FILE_NOT_FOUND;
    }
    return ERROR_SUCCESS;
}

LSTATUS CloseKey(RegistryState& reg, HKEY handle) {
    if (IsPredefined(handle)) {
        return ERROR_SUCCESS;
    }
    return reg.handles.erase(handle) == 0 ? ERROR_INVALID_HANDLE : ERROR_SUCCESS;
}

void Record(RegistryState& reg, const char* operation, const wchar16* path, REGSAM access,
            LSTATUS status) {
    reg.calls.push_back(RegCall{operation, std::u16string(View(path)), access, status});
}

std::shared_ptr<RegKey> PlantingHive(const RegistryState& reg, HKEY root) {
    std::shared_ptr<RegKey> hive = HiveOf(reg, root);
    if (hive == nullptr) {
        std::fprintf(stderr, "Machine: planting under an unknown registry root\n");
        std::abort();
    }
    return hive;
}

RegKey& PlantPath(RegistryState& reg, bool is64BitWindows, HKEY root, const std::u16string& path,
                  RegView view) {
    std::shared_ptr<RegKey> hive = PlantingHive(reg, root);
    return *CreatePath(reg, *hive, PlantingPath(path), RedirectsView(view, is64BitWindows), false)
                .key;
}

const RegKey* FindPlanted(const RegistryState& reg, bool is64BitWindows, HKEY root,
                          const std::u16string& path, RegView view) {
    std::shared_ptr<RegKey> hive = PlantingHive(reg, root);
    return FindPath(reg, *hive, PlantingPath(path), RedirectsView(view, is64BitWindows));
}

} // namespace

namespace machine_detail {

void InitRegistry(RegistryState& reg) {
    reg.localMachine = std::make_shared<RegKey>();
    reg.localMachine->name = u"HKEY_LOCAL_MACHINE";
    reg.currentUser = std::make_shared<RegKey>();
    reg.currentUser->name = u"HKEY_CURRENT_USER";
    AddChild(*reg.localMachine, u"SOFTWARE");
    AddChild(*reg.localMachine, u"SYSTEM");
    AddChild(*reg.currentUser, u"Software");
}

} // namespace machine_detail

// ---- Planting and inspection ---------------------------------------------------------

void Machine::PlantKey(HKEY root, const std::u16string& path, RegView view) {
    PlantPath(m_state->registry, is64BitWindows, root, path, view);
}

void Machine::PlantValue(HKEY root, const std::u16string& path, const std::u16string& name,
                         DWORD type, const std::vector<uint8_t>& bytes, RegView view) {
    StoreValue(PlantPath(m_state->registry, is64BitWindows, root, path, view), name, type, bytes);
}

void Machine::PlantDword(HKEY root, const std::u16string& path, const std::u16string& name,
                         DWORD value, RegView view) {
    std::vector<uint8_t> bytes(sizeof(DWORD));
    for (size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<uint8_t>(value >> (8 * i));
    }
    PlantValue(root, path, name, REG_DWORD, bytes, view);
}

void Machine::PlantString(HKEY root, const std::u16string& path, const std::u16string& name,
                          const std::u16string& text, DWORD type, RegView view) {
    PlantValue(root, path, name, type, Utf16Bytes(text), view);
}

void Machine::PlantOversizedValue(HKEY root, const std::u16string& path, const std::u16string& name,
                                  DWORD type, DWORD reportedSize) {
    StoreValue(PlantPath(m_state->registry, is64BitWindows, root, path, RegView::Default), name,
               type, {}, reportedSize);
}

void Machine::RestrictKeyAccess(HKEY root, const std::u16string& path, REGSAM grantedMask,
                                RegView view) {
    PlantPath(m_state->registry, is64BitWindows, root, path, view).grantedMask = grantedMask;
}

void Machine::GrowValueAfterSizeQuery(HKEY root, const std::u16string& path,
                                      const std::u16string& name, DWORD extraBytes) {
    RegKey& key = PlantPath(m_state->registry, is64BitWindows, root, path, RegView::Default);
    key.growthAfterSizeQuery[Fold(name)] = extraBytes;
}

bool Machine::KeyPresent(HKEY root, const std::u16string& path, RegView view) const {
    return FindPlanted(m_state->registry, is64BitWindows, root, path, view) != nullptr;
}

std::optional<RegValueData> Machine::Value(HKEY root, const std::u16string& path,
                                           const std::u16string& name, RegView view) const {
    const RegKey* key = FindPlanted(m_state->registry, is64BitWindows, root, path, view);
    if (key == nullptr) {
        return std::nullopt;
    }
    auto found = key->values.find(Fold(name));
    if (found == key->values.end()) {
        return std::nullopt;
    }
    return RegValueData{found->second.type, found->second.bytes};
}

size_t Machine::OpenKeyCount() const {
    return m_state->registry.handles.size();
}

const std::vector<RegCall>& Machine::RegistryCalls() const {
    return m_state->registry.calls;
}

void Machine::ClearRegistryCalls() {
    m_state->registry.calls.clear();
}

// ---- Platform --------------------------------------------------------------------------

LSTATUS Machine::RegOpenKeyExW(HKEY root, const wchar16* subKey, DWORD options, REGSAM access,
                               HKEY* result) {
    (void)options;
    LSTATUS status = OpenKey(m_state->registry, is64BitWindows, root, subKey, access, result);
    Record(m_state->registry, "open", subKey, access, status);
    return status;
}

LSTATUS Machine::RegCreateKeyExW(HKEY root, const wchar16* subKey, DWORD options, REGSAM access,
                                 HKEY* result, DWORD* disposition) {
    (void)options;
    LSTATUS status =
        CreateKey(m_state->registry, is64BitWindows, root, subKey, access, result, disposition);
    Record(m_state->registry, "create", subKey, access, status);
    return status;
}

LSTATUS Machine::RegQueryValueExW(HKEY key, const wchar16* valueName, DWORD* type, BYTE* data,
                                  DWORD* dataSize) {
    LSTATUS status = QueryValue(m_state->registry, key, valueName, type, data, dataSize);
    Record(m_state->registry, "query", nullptr, 0, status);
    return status;
}

LSTATUS Machine::RegSetValueExW(HKEY key, const wchar16* valueName, DWORD type, const BYTE* data,
                                DWORD dataSize) {
    LSTATUS status = SetValue(m_state->registry, key, valueName, type, data, dataSize);
    Record(m_state->registry, "set", nullptr, 0, status);
    return status;
}

LSTATUS Machine::RegDeleteKeyW(HKEY root, const wchar16* subKey) {
    LSTATUS status = DeleteKey(m_state->registry, is64BitWindows, root, subKey);
    Record(m_state->registry, "deletekey", subKey, 0, status);
    return status;
}

LSTATUS Machine::RegDeleteValueW(HKEY key, const wchar16* valueName) {
    LSTATUS status = DeleteValue(m_state->registry, key, valueName);
    Record(m_state->registry, "deletevalue", nullptr, 0, status);
    return status;
}

LSTATUS Machine::RegCloseKey(HKEY key) {
    LSTATUS status = CloseKey(m_state->registry, key);
    Record(m_state->registry, "close", nullptr, 0, status);
    return status;
}
