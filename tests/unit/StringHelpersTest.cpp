// The bounded UTF-16 helpers.

#include "common/WideString.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using std::u16string;

TEST(BoundedCopy, TextIsCutToCapacityMinusOneAndTerminated) {
    struct Row {
        size_t capacity;
        const char16_t* source;
        StrResult result;
        const char16_t* text;
    } rows[] = {
        {8, u"E:\\", StrResult::Ok, u"E:\\"},
        {4, u"abc", StrResult::Ok, u"abc"},
        {4, u"abcdef", StrResult::InsufficientBuffer, u"abc"},
        {1, u"a", StrResult::InsufficientBuffer, u""},
        {kMaxStringCapacity, u"ok", StrResult::Ok, u"ok"},
    };
    for (const Row& row : rows) {
        wchar16 buffer[8];
        EXPECT_EQ(StrCopy(buffer, row.capacity, row.source), row.result) << row.capacity;
        EXPECT_EQ(u16string(buffer), row.text) << row.capacity;
    }
}

TEST(BoundedConcatenation, AnUnterminatedDestinationIsLeftAlone) {
    wchar16 unterminated[3] = {u'a', u'b', u'c'};
    EXPECT_EQ(StrCat(unterminated, 3, u"d"), StrResult::InvalidArgument);
    EXPECT_EQ(unterminated[2], u'c');
}

TEST(BoundedFormat, Conversions) {
    wchar16 buffer[64];
    StrPrintf(buffer, 64, u"%c:\\", 'A' + 25);
    EXPECT_EQ(u16string(buffer), u"Z:\\");
    StrPrintf(buffer, 64, u"%d|%u|%x|%X|%%", -42, 7u, 255u, 255u);
    EXPECT_EQ(u16string(buffer), u"-42|7|ff|FF|%");
    StrPrintf(buffer, 64, u"[%04X][%-3d][%3d][%05d]", 0x2Bu, 5, 5, -12);
    EXPECT_EQ(u16string(buffer), u"[002B][5  ][  5][-0012]");
    StrPrintf(buffer, 64, u"[%10d][%9u][%d][%lu]", 5, 7u, 0, 42u);
    EXPECT_EQ(u16string(buffer), u"[         5][        7][0][42]");
}

TEST(BoundedFormat, LongOutputIsCutAndUnknownConversionsRefused) {
    wchar16 buffer[8];
    StrPrintf(buffer, 5, u"%s-%d", u"abcdef", 123);
    EXPECT_EQ(u16string(buffer), u"abcd");
    for (const char16_t* format : {u"%q", u"abc%"}) {
        EXPECT_EQ(StrPrintf(buffer, 8, format), StrResult::InvalidArgument);
        EXPECT_EQ(buffer[0], 0);
    }
}

TEST(TextSearch, CompareIgnoringAsciiCaseAndFindFirst) {
    EXPECT_LT(StrCmpNI(u"abc", u"abd", 3), 0);
    EXPECT_GT(StrCmpNI(u"b", u"A", 1), 0);
    EXPECT_EQ(StrCmpNI(u"ab", u"AB", 10), 0);
    const wchar16* text = u"USB\\VID_1&PID_2#{GUID}#{X}";
    EXPECT_EQ(StrStr(text, u"#{"), text + 15);
    EXPECT_EQ(StrStr(text, u""), text);
    wchar16 upper[] = u"ide\\cdrom#{az}@[`{\u00e9";
    StrUpper(upper);
    EXPECT_EQ(u16string(upper), u"IDE\\CDROM#{AZ}@[`{\u00e9");
}

} // namespace
