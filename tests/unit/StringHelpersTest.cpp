// The bounded UTF-16 helpers. Destinations sit between guard characters, so that a write
// outside them shows.

#include "common/WideString.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using std::u16string;

struct GuardedBuffer {
    wchar16 storage[34];
    explicit GuardedBuffer(wchar16 fill = u'?') {
        std::fill(storage, storage + 34, fill);
        storage[0] = storage[33] = u'#';
    }
    wchar16* Data() { return storage + 1; }
    bool GuardsIntact() const { return storage[0] == u'#' && storage[33] == u'#'; }
};

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
        GuardedBuffer buffer;
        EXPECT_EQ(StrCopy(buffer.Data(), row.capacity, row.source), row.result) << row.capacity;
        EXPECT_EQ(u16string(buffer.Data()), row.text);
        EXPECT_EQ(buffer.Data()[u16string(row.text).size() + 1], u'?') << "written past the NUL";
        EXPECT_TRUE(buffer.GuardsIntact());
    }
}

TEST(BoundedCopy, InvalidCapacitiesAreRefusedBeforeAnythingIsWritten) {
    GuardedBuffer buffer(u'z');
    for (size_t capacity : {size_t{0}, size_t{0x80000000}}) {
        EXPECT_EQ(StrCopy(buffer.Data(), capacity, u"a"), StrResult::InvalidArgument);
        EXPECT_EQ(StrCat(buffer.Data(), capacity, u"a"), StrResult::InvalidArgument);
        EXPECT_EQ(StrPrintf(buffer.Data(), capacity, u"%c", 'A'), StrResult::InvalidArgument);
    }
    EXPECT_EQ(buffer.Data()[0], u'z');
    EXPECT_TRUE(buffer.GuardsIntact());
}

TEST(BoundedConcatenation, AppendsWithinCapacity) {
    GuardedBuffer buffer;
    StrCopy(buffer.Data(), 16, u"C:\\Prog");
    EXPECT_EQ(StrCat(buffer.Data(), 16, u"\\a.bat"), StrResult::Ok);
    EXPECT_EQ(u16string(buffer.Data()), u"C:\\Prog\\a.bat");
    StrCopy(buffer.Data(), 6, u"abc");
    EXPECT_EQ(StrCat(buffer.Data(), 6, u"defgh"), StrResult::InsufficientBuffer);
    EXPECT_EQ(u16string(buffer.Data()), u"abcde");
    EXPECT_TRUE(buffer.GuardsIntact());
    // A destination not terminated within its capacity has nothing safe to append to.
    wchar16 unterminated[3] = {u'a', u'b', u'c'};
    EXPECT_EQ(StrCat(unterminated, 3, u"d"), StrResult::InvalidArgument);
    EXPECT_EQ(unterminated[2], u'c');
}

TEST(BoundedFormat, Conversions) {
    wchar16 buffer[64];
    EXPECT_EQ(StrPrintf(buffer, 64, u"%c:\\", 'A' + 25), StrResult::Ok);
    EXPECT_EQ(u16string(buffer), u"Z:\\");
    EXPECT_EQ(StrPrintf(buffer, 64, u"%s %s", u"E:", u"F:"), StrResult::Ok);
    EXPECT_EQ(u16string(buffer), u"E: F:");
    EXPECT_EQ(StrPrintf(buffer, 64, u"%d|%u|%x|%X|%%", -42, 7u, 255u, 255u), StrResult::Ok);
    EXPECT_EQ(u16string(buffer), u"-42|7|ff|FF|%");
    EXPECT_EQ(StrPrintf(buffer, 64, u"[%04X][%-3d][%3d][%05d]", 0x2Bu, 5, 5, -12), StrResult::Ok);
    EXPECT_EQ(u16string(buffer), u"[002B][5  ][  5][-0012]");
    EXPECT_EQ(StrPrintf(buffer, 64, u"[%10d][%9u][%d][%lu]", 5, 7u, 0, 42u), StrResult::Ok);
    EXPECT_EQ(u16string(buffer), u"[         5][        7][0][42]");
    EXPECT_EQ(StrPrintf(buffer, 64, u"%d", -2147483647 - 1), StrResult::Ok);
    EXPECT_EQ(u16string(buffer), u"-2147483648");
}

TEST(BoundedFormat, LongOutputIsCutAndUnknownConversionsRefused) {
    GuardedBuffer buffer;
    EXPECT_EQ(StrPrintf(buffer.Data(), 5, u"%s-%d", u"abcdef", 123), StrResult::InsufficientBuffer);
    EXPECT_EQ(u16string(buffer.Data()), u"abcd");
    EXPECT_TRUE(buffer.GuardsIntact());
    for (const char16_t* format : {u"%q", u"abc%"}) {
        EXPECT_EQ(StrPrintf(buffer.Data(), 8, format), StrResult::InvalidArgument);
        EXPECT_EQ(buffer.Data()[0], 0);
    }
}

TEST(TextSearch, CompareIgnoringAsciiCaseAndFindFirst) {
    EXPECT_EQ(StrCmpNI(u"dvdram\\cdrom\\x", u"DVDRAM\\CDROM\\", 13), 0);
    EXPECT_NE(StrCmpNI(u"DVDRAM\\CDROM", u"DVDRAM\\CDROM\\", 13), 0);
    EXPECT_EQ(StrCmpNI(u"abc", u"abd", 2), 0);
    EXPECT_LT(StrCmpNI(u"abc", u"abd", 3), 0);
    EXPECT_GT(StrCmpNI(u"b", u"A", 1), 0);
    EXPECT_EQ(StrCmpNI(u"ab", u"AB", 10), 0);
    const wchar16* text = u"USB\\VID_1&PID_2#{GUID}#{X}";
    EXPECT_EQ(StrStr(text, u"#{"), text + 15);
    EXPECT_EQ(StrStr(text, u"pid"), nullptr);
    EXPECT_EQ(StrStr(text, u""), text);
    EXPECT_EQ(StrStr(u"", u"a"), nullptr);
    EXPECT_EQ(StrStr(u"ab", u"abc"), nullptr);
    wchar16 upper[] = u"ide\\cdrom#{az}@[`{\u00e9";
    StrUpper(upper);
    EXPECT_EQ(u16string(upper), u"IDE\\CDROM#{AZ}@[`{\u00e9");
}

} // namespace
