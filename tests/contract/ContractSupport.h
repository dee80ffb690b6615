#pragma once
// Helpers shared by the contract tests: the fixture that installs the system under test,
// scratch registry keys that remove themselves, and byte and text helpers.

#include "contract/ContractEnvironment.h"
#include "platform/ScopedHandles.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

// Skips the current test under Wine; the reason names the difference from Windows.
#define SKIP_ON_WINE(reason)                                                                       \
    if (::contract::RunsOnWine())                                                                  \
    GTEST_SKIP() << "Wine differs from Windows here: " << (reason)

namespace contract {

// The interface language the system runs in, as a Windows language ID: from
// QUENLATH_UI_LANGUAGE (en-US, fr-FR or de-DE), en-US when unset.
WORD InterfaceLanguage();

// A name no other run of this suite uses at the same time.
std::u16string UniqueName();

std::vector<uint8_t> Utf16Bytes(const std::u16string& text, bool withTerminator);
std::vector<uint8_t> DwordBytes(DWORD value);
// The text in a buffer up to its first NUL (or its end).
std::u16string TextBefore(const std::vector<wchar16>& buffer);

// Every test gets a fresh system under test, installed as platform().
class ContractTest : public ::testing::Test {
protected:
    ContractSystem testSystem;
};

// HKLM\<hive>\QuenlathContract\<unique name>, seen through one registry view (0: the
// process's default view; KEY_WOW64_64KEY or KEY_WOW64_32KEY). Every key made through it
// is deleted, deepest first, when it goes out of scope; the test fails if one stays.
class ScratchKeys {
public:
    ScratchKeys(std::u16string hive, REGSAM view, std::u16string name = UniqueName());
    ~ScratchKeys();
    ScratchKeys(const ScratchKeys&) = delete;
    ScratchKeys& operator=(const ScratchKeys&) = delete;

    const std::u16string& Name() const { return m_name; }
    // The path from HKLM of a key below the scratch key ("" for the scratch key).
    std::u16string Path(const std::u16string& relative = u"") const;

    LSTATUS Create(const std::u16string& relative, REGSAM access, CScopedRegKey& key,
                   DWORD* disposition = nullptr);
    LSTATUS Open(const std::u16string& relative, REGSAM access, CScopedRegKey& key) const;
    LSTATUS Delete(const std::u16string& relative) const;

private:
    void Remember(const std::u16string& relative);

    std::u16string m_hive;
    REGSAM m_view;
    std::u16string m_name;
    std::vector<std::u16string> m_made; // relative paths, each once
};

// What one RegQueryValueExW call gave back.
struct QueriedValue {
    LSTATUS status = ERROR_SUCCESS;
    DWORD type = REG_NONE;
    DWORD size = 0;
    std::vector<uint8_t> bytes; // the first `size` bytes of the buffer, on success
};

// Reads a value into a buffer of bufferSize bytes (a real buffer, even for 0 bytes).
QueriedValue QueryValue(HKEY key, const wchar16* name, DWORD bufferSize);
LSTATUS SetValue(HKEY key, const wchar16* name, DWORD type, const std::vector<uint8_t>& bytes);
// Writes the first `count` bytes of a longer buffer.
LSTATUS SetValuePart(HKEY key, const wchar16* name, DWORD type, const std::vector<uint8_t>& bytes,
                     DWORD count);

} // namespace contract
