#include "contract/ContractSupport.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>

namespace contract {

namespace {

constexpr const wchar16* kScratchRoot = u"QuenlathContract";

struct LanguageTag {
    const char* tag;
    WORD language;
};

constexpr LanguageTag kLanguageTags[] = {
    {"en-US", 1033},
    {"fr-FR", 1036},
    {"de-DE", 1031},
};

size_t Depth(const std::u16string& relative) {
    return relative.empty() ? 0 : 1 + std::count(relative.begin(), relative.end(), u'\\');
}

std::u16string Decimal(unsigned long long value) {
    std::u16string digits;
    do {
        digits.insert(digits.begin(), static_cast<wchar16>(u'0' + value % 10));
        value /= 10;
    } while (value != 0);
    return digits;
}

} // namespace

WORD InterfaceLanguage() {
    const char* tag = std::getenv("QUENLATH_UI_LANGUAGE");
    if (tag == nullptr || *tag == '\0') {
        return 1033;
    }
    for (const LanguageTag& known : kLanguageTags) {
        if (std::strcmp(known.tag, tag) == 0) {
            return known.language;
        }
    }
    ADD_FAILURE() << "QUENLATH_UI_LANGUAGE=" << tag << " is not a language this suite knows";
    return 1033;
}

std::u16string UniqueName() {
    static const auto started = std::chrono::system_clock::now().time_since_epoch().count();
    static unsigned long long counter = 0;
    return u"run" + Decimal(static_cast<unsigned long long>(started)) + u"-" + Decimal(++counter);
}

std::vector<uint8_t> Utf16Bytes(const std::u16string& text, bool withTerminator) {
    std::vector<uint8_t> bytes;
    for (wchar16 c : text) {
        bytes.push_back(static_cast<uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<uint8_t>(c >> 8));
    }
    if (withTerminator) {
        bytes.insert(bytes.end(), {0, 0});
    }
    return bytes;
}

std::vector<uint8_t> DwordBytes(DWORD value) {
    std::vector<uint8_t> bytes(sizeof(DWORD));
    for (size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<uint8_t>(value >> (8 * i));
    }
    return bytes;
}

std::u16string TextBefore(const std::vector<wchar16>& buffer) {
    auto end = std::find(buffer.begin(), buffer.end(), u'\0');
    return std::u16string(buffer.begin(), end);
}

// ---- Scratch keys ----------------------------------------------------------------------

ScratchKeys::ScratchKeys(std::u16string hive, REGSAM view, std::u16string name)
    : m_hive(std::move(hive)), m_view(view), m_name(std::move(name)) {}

ScratchKeys::~ScratchKeys() {
    std::vector<std::u16string> keys = m_made;
    std::stable_sort(
        keys.begin(), keys.end(),
        [](const std::u16string& a, const std::u16string& b) { return Depth(a) > Depth(b); });
    for (const std::u16string& relative : keys) {
        LSTATUS status = Delete(relative);
        if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) {
            ADD_FAILURE() << "scratch key " << ::testing::PrintToString(Path(relative))
                          << " stays: RegDeleteKeyW answered " << status;
        }
    }
}

std::u16string ScratchKeys::Path(const std::u16string& relative) const {
    std::u16string path = m_hive + u"\\" + kScratchRoot + u"\\" + m_name;
    return relative.empty() ? path : path + u"\\" + relative;
}

LSTATUS ScratchKeys::Create(const std::u16string& relative, REGSAM access, CScopedRegKey& key,
                            DWORD* disposition) {
    LSTATUS status = platform().RegCreateKeyExW(HKEY_LOCAL_MACHINE, Path(relative).c_str(), 0,
                                                access | m_view, key.Receive(), disposition);
    if (status == ERROR_SUCCESS) {
        Remember(relative);
    }
    return status;
}

LSTATUS ScratchKeys::Open(const std::u16string& relative, REGSAM access, CScopedRegKey& key) const {
    return platform().RegOpenKeyExW(HKEY_LOCAL_MACHINE, Path(relative).c_str(), 0, access | m_view,
                                    key.Receive());
}

// RegDeleteKeyW has no view flag: a key named from HKLM is deleted in the default view.
// For another view the key is named from its parent QuenlathContract key, opened in that
// view (below that key there is no redirection).
LSTATUS ScratchKeys::Delete(const std::u16string& relative) const {
    if (m_view == 0) {
        return platform().RegDeleteKeyW(HKEY_LOCAL_MACHINE, Path(relative).c_str());
    }
    CScopedRegKey parent;
    std::u16string parentPath = m_hive + u"\\" + kScratchRoot;
    LSTATUS status = platform().RegOpenKeyExW(HKEY_LOCAL_MACHINE, parentPath.c_str(), 0,
                                              KEY_READ | m_view, parent.Receive());
    if (status != ERROR_SUCCESS) {
        return status;
    }
    std::u16string child = relative.empty() ? m_name : m_name + u"\\" + relative;
    return platform().RegDeleteKeyW(parent.Get(), child.c_str());
}

void ScratchKeys::Remember(const std::u16string& relative) {
    // Creating a\b\c may have made a and a\b as well, and the scratch key itself.
    std::vector<std::u16string> made{u""};
    for (size_t at = relative.find(u'\\'); at != std::u16string::npos;
         at = relative.find(u'\\', at + 1)) {
        made.push_back(relative.substr(0, at));
    }
    if (!relative.empty()) {
        made.push_back(relative);
    }
    for (const std::u16string& path : made) {
        if (std::find(m_made.begin(), m_made.end(), path) == m_made.end()) {
            m_made.push_back(path);
        }
    }
}

// ---- Values ----------------------------------------------------------------------------

QueriedValue QueryValue(HKEY key, const wchar16* name, DWORD bufferSize) {
    QueriedValue result;
    std::vector<uint8_t> buffer(bufferSize + 1); // never null, even for no room
    result.size = bufferSize;
    result.status =
        platform().RegQueryValueExW(key, name, &result.type, buffer.data(), &result.size);
    if (result.status == ERROR_SUCCESS && result.size <= bufferSize) {
        result.bytes.assign(buffer.begin(), buffer.begin() + result.size);
    }
    return result;
}

LSTATUS SetValue(HKEY key, const wchar16* name, DWORD type, const std::vector<uint8_t>& bytes) {
    return platform().RegSetValueExW(key, name, type, bytes.empty() ? nullptr : bytes.data(),
                                     static_cast<DWORD>(bytes.size()));
}

LSTATUS SetValuePart(HKEY key, const wchar16* name, DWORD type, const std::vector<uint8_t>& bytes,
                     DWORD count) {
    return count > bytes.size() ? ERROR_INVALID_PARAMETER
                                : platform().RegSetValueExW(key, name, type, bytes.data(), count);
}

} // namespace contract
