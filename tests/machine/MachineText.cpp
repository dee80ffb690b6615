// Text and identifiers: case folding as Windows does it for names, GUID text forms,
// CharUpperW and CLSIDFromString.

#include "machine/MachineState.h"

#include <cstdio>
#include <cstdlib>

using namespace machine_detail;

namespace {

constexpr size_t kBracedGuidChars = 38;

int HexValue(wchar16 c) {
    if (c >= u'0' && c <= u'9') {
        return c - u'0';
    }
    if (c >= u'a' && c <= u'f') {
        return c - u'a' + 10;
    }
    if (c >= u'A' && c <= u'F') {
        return c - u'A' + 10;
    }
    return -1;
}

bool ParseHex(std::u16string_view text, size_t at, size_t digits, uint32_t& value) {
    value = 0;
    for (size_t i = at; i < at + digits; ++i) {
        int digit = HexValue(text[i]);
        if (digit < 0) {
            return false;
        }
        value = (value << 4) | static_cast<uint32_t>(digit);
    }
    return true;
}

} // namespace

namespace machine_detail {

wchar16 UpperChar(wchar16 c) {
    if (c >= u'a' && c <= u'z') {
        return static_cast<wchar16>(c - (u'a' - u'A'));
    }
    // Latin-1: à..þ map to À..Þ, except the division sign; ÿ maps to Ÿ.
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) {
        return static_cast<wchar16>(c - 0x20);
    }
    if (c == 0xFF) {
        return 0x178;
    }
    return c;
}

std::u16string Fold(std::u16string_view text) {
    std::u16string folded(text);
    for (wchar16& c : folded) {
        c = UpperChar(c);
    }
    return folded;
}

bool EqualNoCase(std::u16string_view left, std::u16string_view right) {
    return Fold(left) == Fold(right);
}

std::u16string_view View(const wchar16* text) {
    return text == nullptr ? std::u16string_view() : std::u16string_view(text);
}

bool SameGuid(const GUID& left, const GUID& right) {
    if (left.Data1 != right.Data1 || left.Data2 != right.Data2 || left.Data3 != right.Data3) {
        return false;
    }
    for (size_t i = 0; i < sizeof(left.Data4); ++i) {
        if (left.Data4[i] != right.Data4[i]) {
            return false;
        }
    }
    return true;
}

bool ParseBracedGuid(std::u16string_view text, GUID& guid) {
    if (text.size() != kBracedGuidChars || text[0] != u'{' || text[37] != u'}' || text[9] != u'-' ||
        text[14] != u'-' || text[19] != u'-' || text[24] != u'-') {
        return false;
    }
    uint32_t data1 = 0;
    uint32_t data2 = 0;
    uint32_t data3 = 0;
    if (!ParseHex(text, 1, 8, data1) || !ParseHex(text, 10, 4, data2) ||
        !ParseHex(text, 15, 4, data3)) {
        return false;
    }
    uint8_t data4[8] = {};
    const size_t byteAt[8] = {20, 22, 25, 27, 29, 31, 33, 35};
    for (size_t i = 0; i < 8; ++i) {
        uint32_t byte = 0;
        if (!ParseHex(text, byteAt[i], 2, byte)) {
            return false;
        }
        data4[i] = static_cast<uint8_t>(byte);
    }
    guid.Data1 = data1;
    guid.Data2 = static_cast<uint16_t>(data2);
    guid.Data3 = static_cast<uint16_t>(data3);
    for (size_t i = 0; i < 8; ++i) {
        guid.Data4[i] = data4[i];
    }
    return true;
}

} // namespace machine_detail

std::vector<uint8_t> Utf16Bytes(const std::u16string& text, bool withTerminator) {
    std::vector<uint8_t> bytes;
    bytes.reserve((text.size() + 1) * 2);
    for (wchar16 c : text) {
        bytes.push_back(static_cast<uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<uint8_t>(c >> 8));
    }
    if (withTerminator) {
        bytes.push_back(0);
        bytes.push_back(0);
    }
    return bytes;
}

std::u16string GuidString(const GUID& guid) {
    char text[kBracedGuidChars + 1];
    std::snprintf(text, sizeof(text), "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  static_cast<unsigned>(guid.Data1), static_cast<unsigned>(guid.Data2),
                  static_cast<unsigned>(guid.Data3), guid.Data4[0], guid.Data4[1], guid.Data4[2],
                  guid.Data4[3], guid.Data4[4], guid.Data4[5], guid.Data4[6], guid.Data4[7]);
    return std::u16string(text, text + kBracedGuidChars);
}

GUID ParseGuid(const std::u16string& registryForm) {
    GUID guid{};
    if (!ParseBracedGuid(registryForm, guid)) {
        std::fprintf(stderr, "Machine: malformed GUID literal\n");
        std::abort();
    }
    return guid;
}

// Constant-initialised, so that other files' static objects may use them.
const GUID kGuidInterfaceUsbDevice = {
    0xA5DCBF10, 0x6530, 0x11D2, {0x90, 0x1F, 0x00, 0xC0, 0x4F, 0xB9, 0x51, 0xED}};
const GUID kGuidInterfaceCdrom = {
    0x53F56308, 0xB6BF, 0x11D0, {0x94, 0xF2, 0x00, 0xA0, 0xC9, 0x1E, 0xFB, 0x8B}};
const GUID kGuidClassCdrom = {
    0x4D36E965, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};
const GUID kGuidClassUsb = {
    0x36FC9E60, 0xC465, 0x11CF, {0x80, 0x56, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};

wchar16* Machine::CharUpperW(wchar16* text) {
    // A pointer value below 0x10000 is a single character to convert, as in user32.
    auto value = reinterpret_cast<uintptr_t>(text);
    if ((value >> 16) == 0) {
        return reinterpret_cast<wchar16*>(
            static_cast<uintptr_t>(UpperChar(static_cast<wchar16>(value))));
    }
    for (wchar16* c = text; *c != 0; ++c) {
        *c = UpperChar(*c);
    }
    return text;
}

HRESULT Machine::CLSIDFromString(const wchar16* text, CLSID* clsid) {
    if (clsid == nullptr) {
        return E_INVALIDARG;
    }
    *clsid = CLSID{};
    if (text == nullptr) {
        return S_OK; // the null CLSID, as ole32 answers
    }
    // Windows would next try the text as a ProgID; the machine registers none. On failure
    // Windows leaves the CLSID zeroed or partly parsed; it is zeroed here.
    return ParseBracedGuid(View(text), *clsid) ? S_OK : CO_E_CLASSSTRING;
}
