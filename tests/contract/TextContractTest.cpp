// What the text calls must do: CharUpperW upper-cases in place up to the terminator, and
// CLSIDFromString reads the braced form and nothing else.

#include "contract/ContractSupport.h"

#include <algorithm>

using namespace contract;

namespace {

using UpperCasing = ContractTest;
using ClsidFromString = ContractTest;

const GUID kCdromInterface = {
    0x53F56308, 0xB6BF, 0x11D0, {0x94, 0xF2, 0x00, 0xA0, 0xC9, 0x1E, 0xFB, 0x8B}};

bool SameGuid(const GUID& left, const GUID& right) {
    return left.Data1 == right.Data1 && left.Data2 == right.Data2 && left.Data3 == right.Data3 &&
           std::equal(left.Data4, left.Data4 + 8, right.Data4);
}

HRESULT Parse(const wchar16* text, CLSID& clsid) {
    return platform().CLSIDFromString(text, &clsid);
}

} // namespace

// ---- CharUpperW ------------------------------------------------------------------------------

TEST_F(UpperCasing, UpperCasesAsciiLettersInPlaceAndLeavesTheRest) {
    std::u16string text = u"ide\\cdromveltrano_dvd-rw_1.00\\5&1a2b3c&0&1.0.0 {az}";
    wchar16* result = platform().CharUpperW(&text[0]);
    EXPECT_EQ(&text[0], result);
    EXPECT_EQ(u"IDE\\CDROMVELTRANO_DVD-RW_1.00\\5&1A2B3C&0&1.0.0 {AZ}", text);
}

TEST_F(UpperCasing, StopsAtTheTerminator) {
    wchar16 text[] = {u'a', u'b', u'\0', u'c', u'd', u'\0'};
    platform().CharUpperW(text);
    EXPECT_EQ(std::u16string(u"AB\0cd", 5), std::u16string(text, 5));
}

TEST_F(UpperCasing, UpperCasesLatinLettersBeyondAscii) {
    std::u16string text = u"éàçÿ ß";
    platform().CharUpperW(&text[0]);
    EXPECT_EQ(u"ÉÀÇŸ ß", text);
}

// A pointer value below 0x10000 is one character, converted and handed back as the result.
TEST_F(UpperCasing, UpperCasesOneCharacterGivenAsThePointerValue) {
    auto single = reinterpret_cast<wchar16*>(static_cast<uintptr_t>(u'q'));
    EXPECT_EQ(static_cast<uintptr_t>(u'Q'),
              reinterpret_cast<uintptr_t>(platform().CharUpperW(single)));
}

// ---- CLSIDFromString -------------------------------------------------------------------------

TEST_F(ClsidFromString, ReadsTheBracedFormInEitherCase) {
    CLSID upper{};
    EXPECT_EQ(S_OK, Parse(u"{53F56308-B6BF-11D0-94F2-00A0C91EFB8B}", upper));
    EXPECT_TRUE(SameGuid(kCdromInterface, upper));
    CLSID lower{};
    EXPECT_EQ(S_OK, Parse(u"{53f56308-b6bf-11d0-94f2-00a0c91efb8b}", lower));
    EXPECT_TRUE(SameGuid(kCdromInterface, lower));
}

TEST_F(ClsidFromString, RefusesMalformedText) {
    const wchar16* malformed[] = {
        u"53F56308-B6BF-11D0-94F2-00A0C91EFB8B",    // no braces
        u"{53F56308-B6BF-11D0-94F2-00A0C91EFB8G}",  // not hexadecimal
        u"{53F56308-B6BF-11D0-94F2-00A0C91EFB8}",   // one digit short
        u"{53F56308-B6BF-11D0-94F200A0-C91EFB8B}",  // dash misplaced
        u"{53F56308-B6BF-11D0-94F2-00A0C91EFB8B",   // no closing brace
        u"{53F56308-B6BF-11D0-94F2-00A0C91EFB8B}x", // text after the braces
        u"",
    };
    for (const wchar16* text : malformed) {
        SCOPED_TRACE(::testing::PrintToString(std::u16string(text)));
        CLSID clsid{};
        EXPECT_EQ(CO_E_CLASSSTRING, Parse(text, clsid));
    }
}

TEST_F(ClsidFromString, NullTextGivesTheNullClsid) {
    CLSID clsid = kCdromInterface;
    EXPECT_EQ(S_OK, Parse(nullptr, clsid));
    EXPECT_TRUE(SameGuid(CLSID{}, clsid));
}
