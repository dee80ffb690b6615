#include "common/WideString.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::u16string Text(const wchar16* text) {
    return std::u16string(text);
}

// A buffer with guard characters around it, to prove nothing is written outside.
struct GuardedBuffer {
    static constexpr wchar16 kGuard = u'#';
    wchar16 storage[34];
    explicit GuardedBuffer(wchar16 fill = u'?') {
        for (auto& c : storage) {
            c = fill;
        }
        storage[0] = kGuard;
        storage[33] = kGuard;
    }
    wchar16* Data() { return storage + 1; }
    bool GuardsIntact() const { return storage[0] == kGuard && storage[33] == kGuard; }
};

TEST(BoundedCopy, CopiesTextThatFits) {
    wchar16 buffer[8];
    EXPECT_EQ(StrCopy(buffer, 8, u"E:\\"), StrResult::Ok);
    EXPECT_EQ(Text(buffer), u"E:\\");
}

TEST(BoundedCopy, TextOfExactlyCapacityMinusOneFits) {
    wchar16 buffer[4];
    EXPECT_EQ(StrCopy(buffer, 4, u"abc"), StrResult::Ok);
    EXPECT_EQ(Text(buffer), u"abc");
}

TEST(BoundedCopy, LongerTextIsCutAndTerminatedWithinCapacity) {
    GuardedBuffer buffer;
    EXPECT_EQ(StrCopy(buffer.Data(), 4, u"abcdef"), StrResult::InsufficientBuffer);
    EXPECT_EQ(Text(buffer.Data()), u"abc");
    EXPECT_EQ(buffer.Data()[4], u'?');
    EXPECT_TRUE(buffer.GuardsIntact());
}

TEST(BoundedCopy, CapacityOneHoldsOnlyTheTerminator) {
    wchar16 buffer[1] = {u'x'};
    EXPECT_EQ(StrCopy(buffer, 1, u"a"), StrResult::InsufficientBuffer);
    EXPECT_EQ(buffer[0], 0);
}

TEST(BoundedCopy, InvalidCapacitiesAreRefusedBeforeAnythingIsWritten) {
    GuardedBuffer buffer(u'z');
    EXPECT_EQ(StrCopy(buffer.Data(), 0, u"a"), StrResult::InvalidArgument);
    EXPECT_EQ(StrCopy(buffer.Data(), size_t{0x80000000}, u"a"), StrResult::InvalidArgument);
    EXPECT_EQ(StrCat(buffer.Data(), 0, u"a"), StrResult::InvalidArgument);
    EXPECT_EQ(StrCat(buffer.Data(), size_t{0x80000000}, u"a"), StrResult::InvalidArgument);
    EXPECT_EQ(StrPrintf(buffer.Data(), 0, u"%c", 'A'), StrResult::InvalidArgument);
    EXPECT_EQ(StrPrintf(buffer.Data(), size_t{0x80000000}, u"%c", 'A'), StrResult::InvalidArgument);
    EXPECT_EQ(buffer.Data()[0], u'z');
    EXPECT_TRUE(buffer.GuardsIntact());
}

TEST(BoundedCopy, LargestSignedCapacityIsAccepted) {
    wchar16 buffer[4];
    EXPECT_EQ(StrCopy(buffer, kMaxStringCapacity, u"ok"), StrResult::Ok);
}

TEST(BoundedConcatenation, AppendsWithinCapacity) {
    wchar16 buffer[16] = u"C:\\Prog";
    EXPECT_EQ(StrCat(buffer, 16, u"\\a.bat"), StrResult::Ok);
    EXPECT_EQ(Text(buffer), u"C:\\Prog\\a.bat");
}

TEST(BoundedConcatenation, OverflowIsCutAndReported) {
    GuardedBuffer buffer;
    StrCopy(buffer.Data(), 6, u"abc");
    EXPECT_EQ(StrCat(buffer.Data(), 6, u"defgh"), StrResult::InsufficientBuffer);
    EXPECT_EQ(Text(buffer.Data()), u"abcde");
    EXPECT_TRUE(buffer.GuardsIntact());
}

TEST(BoundedConcatenation, UnterminatedDestinationIsRefused) {
    wchar16 buffer[3] = {u'a', u'b', u'c'};
    EXPECT_EQ(StrCat(buffer, 3, u"d"), StrResult::InvalidArgument);
    EXPECT_EQ(buffer[2], u'c');
}

TEST(BoundedFormat, FormatsTheConversionsTheProgramUses) {
    wchar16 buffer[64];
    EXPECT_EQ(StrPrintf(buffer, 64, u"%c:\\", 'A' + 25), StrResult::Ok);
    EXPECT_EQ(Text(buffer), u"Z:\\");
    EXPECT_EQ(StrPrintf(buffer, 64, u"%s %s", u"E:", u"F:"), StrResult::Ok);
    EXPECT_EQ(Text(buffer), u"E: F:");
    EXPECT_EQ(StrPrintf(buffer, 64, u"%d|%u|%x|%X|%%", -42, 7u, 255u, 255u), StrResult::Ok);
    EXPECT_EQ(Text(buffer), u"-42|7|ff|FF|%");
    EXPECT_EQ(StrPrintf(buffer, 64, u"[%04X][%-3d][%3d][%05d]", 0x2Bu, 5, 5, -12), StrResult::Ok);
    EXPECT_EQ(Text(buffer), u"[002B][5  ][  5][-0012]");
    EXPECT_EQ(StrPrintf(buffer, 64, u"[%10d][%9u][%d][%lu]", 5, 7u, 0, 42u), StrResult::Ok);
    EXPECT_EQ(Text(buffer), u"[         5][        7][0][42]");
    EXPECT_EQ(StrPrintf(buffer, 64, u"%d", -2147483647 - 1), StrResult::Ok);
    EXPECT_EQ(Text(buffer), u"-2147483648");
}

TEST(BoundedFormat, LongOutputIsCutAtCapacity) {
    GuardedBuffer buffer;
    EXPECT_EQ(StrPrintf(buffer.Data(), 5, u"%s-%d", u"abcdef", 123), StrResult::InsufficientBuffer);
    EXPECT_EQ(Text(buffer.Data()), u"abcd");
    EXPECT_TRUE(buffer.GuardsIntact());
}

TEST(BoundedFormat, UnknownConversionIsRefusedAndLeavesAnEmptyString) {
    wchar16 buffer[8];
    EXPECT_EQ(StrPrintf(buffer, 8, u"%q"), StrResult::InvalidArgument);
    EXPECT_EQ(buffer[0], 0);
    EXPECT_EQ(StrPrintf(buffer, 8, u"abc%"), StrResult::InvalidArgument);
    EXPECT_EQ(buffer[0], 0);
}

TEST(CaseInsensitiveCompare, ComparesOnlyTheGivenCountIgnoringAsciiCase) {
    EXPECT_EQ(StrCmpNI(u"dvdram\\cdrom\\x", u"DVDRAM\\CDROM\\", 13), 0);
    EXPECT_NE(StrCmpNI(u"DVDRAM\\CDROM", u"DVDRAM\\CDROM\\", 13), 0);
    EXPECT_EQ(StrCmpNI(u"abc", u"abd", 2), 0);
    EXPECT_LT(StrCmpNI(u"abc", u"abd", 3), 0);
    EXPECT_GT(StrCmpNI(u"b", u"A", 1), 0);
    EXPECT_EQ(StrCmpNI(u"ab", u"AB", 10), 0);
}

TEST(UpperCase, OnlyAsciiLettersChange) {
    wchar16 buffer[] = u"ide\\cdrom#{az}@[`{\u00e9";
    StrUpper(buffer);
    EXPECT_EQ(Text(buffer), u"IDE\\CDROM#{AZ}@[`{\u00e9");
}

TEST(SubstringSearch, FindsTheFirstOccurrence) {
    const wchar16* text = u"USB\\VID_1&PID_2#{GUID}#{X}";
    EXPECT_EQ(StrStr(text, u"#{"), text + 15);
    EXPECT_EQ(StrStr(text, u"pid"), nullptr);
    EXPECT_EQ(StrStr(text, u""), text);
    EXPECT_EQ(StrStr(u"", u"a"), nullptr);
    EXPECT_EQ(StrStr(u"ab", u"abc"), nullptr);
    const wchar16* tail = u"xxIDE";
    EXPECT_EQ(StrStr(tail, u"IDE"), tail + 2);
}

} // namespace
