#pragma once
// Shared by the fuzz targets: reading UTF-16 text out of the fuzzer's bytes, buffers
// sized exactly (so that AddressSanitizer catches a write one character outside), and
// a check that stops the run so that libFuzzer keeps the input.

#include "common/WideString.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace fuzz {

inline void Require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "fuzz check failed: %s\n", what);
        std::abort();
    }
}

// Little-endian pairs of bytes; an odd last byte is dropped.
inline std::u16string Utf16(const std::string& bytes) {
    std::u16string text;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        text.push_back(static_cast<char16_t>(static_cast<uint8_t>(bytes[i]) |
                                             (static_cast<uint8_t>(bytes[i + 1]) << 8)));
    }
    return text;
}

// The text as a C string sees it: up to its first NUL.
inline std::u16string CString(const std::u16string& text) {
    return text.substr(0, text.find(u'\0'));
}

// Text of random length, as a C string.
inline std::u16string ConsumeText(FuzzedDataProvider& input, size_t maxBytes = 4096) {
    return CString(Utf16(input.ConsumeRandomLengthString(maxBytes)));
}

// Exactly count characters on the heap, filled with a marker, nothing around them.
class ExactBuffer {
public:
    static constexpr wchar16 kFill = 0xFEFE;

    explicit ExactBuffer(size_t count) : m_count(count), m_data(new wchar16[count]) {
        for (size_t i = 0; i < count; ++i) {
            m_data[i] = kFill;
        }
    }
    wchar16* Data() { return m_data.get(); }
    size_t Count() const { return m_count; }
    std::u16string Contents() const { return std::u16string(m_data.get(), m_count); }
    // The C string at the start; the caller knows a NUL is within the buffer.
    std::u16string Text() const { return std::u16string(m_data.get()); }
    bool TerminatedWithin(size_t count) const {
        for (size_t i = 0; i < count && i < m_count; ++i) {
            if (m_data[i] == 0) {
                return true;
            }
        }
        return false;
    }

private:
    size_t m_count;
    std::unique_ptr<wchar16[]> m_data;
};

} // namespace fuzz
