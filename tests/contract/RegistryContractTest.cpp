// What the registry calls must do: value types and sizes as written, ERROR_MORE_DATA with
// the size needed, empty data, access rights, create dispositions, deletion rules, and
// the views a 32-bit process has of HKLM\SOFTWARE and HKLM\SYSTEM.

#include "contract/ContractSupport.h"

using namespace contract;

namespace {

constexpr DWORD kRoomy = 64;

// A fresh scratch key, open with every right, in the process's default view.
class RegistryTest : public ContractTest {
protected:
    void SetUp() override { ASSERT_EQ(ERROR_SUCCESS, scratch.Create(u"", KEY_ALL_ACCESS, key)); }

    ScratchKeys scratch{u"SOFTWARE", 0};
    CScopedRegKey key;
};

using RegistryValues = RegistryTest;
using RegistryKeys = RegistryTest;

} // namespace

// ---- Values: types and sizes ---------------------------------------------------------------

TEST_F(RegistryValues, ADwordReadsBackAsItsFourBytesAndType) {
    ASSERT_EQ(ERROR_SUCCESS, SetValue(key.Get(), u"Count", REG_DWORD, DwordBytes(0x12345678)));
    QueriedValue value = QueryValue(key.Get(), u"Count", kRoomy);
    EXPECT_EQ(ERROR_SUCCESS, value.status);
    EXPECT_EQ(REG_DWORD, value.type);
    EXPECT_EQ(4u, value.size);
    EXPECT_EQ(DwordBytes(0x12345678), value.bytes);
}

TEST_F(RegistryValues, AQwordReadsBackAsItsEightBytes) {
    std::vector<uint8_t> bytes{1, 2, 3, 4, 5, 6, 7, 8};
    ASSERT_EQ(ERROR_SUCCESS, SetValue(key.Get(), u"Big", REG_QWORD, bytes));
    QueriedValue value = QueryValue(key.Get(), u"Big", kRoomy);
    EXPECT_EQ(REG_QWORD, value.type);
    EXPECT_EQ(bytes, value.bytes);
}

TEST_F(RegistryValues, AStringKeepsExactlyTheBytesWrittenWithItsTerminator) {
    ASSERT_EQ(ERROR_SUCCESS, SetValue(key.Get(), u"Path", REG_SZ, Utf16Bytes(u"abc", true)));
    QueriedValue value = QueryValue(key.Get(), u"Path", kRoomy);
    EXPECT_EQ(REG_SZ, value.type);
    EXPECT_EQ(8u, value.size);
    EXPECT_EQ(Utf16Bytes(u"abc", true), value.bytes);
}

// Windows counts a terminator the caller left out when one follows the counted text, so
// "abc" counted as 6 bytes is stored as 8; text followed by more text keeps its count.
TEST_F(RegistryValues, AStringCountedWithoutTheTerminatorThatFollowsIsStoredWithIt) {
    std::vector<uint8_t> terminated = Utf16Bytes(u"abc", true);
    ASSERT_EQ(ERROR_SUCCESS, SetValuePart(key.Get(), u"Short", REG_SZ, terminated, 6));
    QueriedValue value = QueryValue(key.Get(), u"Short", kRoomy);
    EXPECT_EQ(8u, value.size);
    EXPECT_EQ(terminated, value.bytes);
}

TEST_F(RegistryValues, AStringCountedShortOfFurtherTextKeepsTheCountGiven) {
    std::vector<uint8_t> longer = Utf16Bytes(u"abcd", true);
    ASSERT_EQ(ERROR_SUCCESS, SetValuePart(key.Get(), u"Bare", REG_SZ, longer, 6));
    QueriedValue value = QueryValue(key.Get(), u"Bare", kRoomy);
    EXPECT_EQ(6u, value.size);
    EXPECT_EQ(Utf16Bytes(u"abc", false), value.bytes);
}

TEST_F(RegistryValues, AStringOfOddByteCountKeepsItsOddSize) {
    std::vector<uint8_t> bytes{'a', 0, 'b', 'c', 0, 0};
    ASSERT_EQ(ERROR_SUCCESS, SetValuePart(key.Get(), u"Odd", REG_SZ, bytes, 3));
    QueriedValue value = QueryValue(key.Get(), u"Odd", kRoomy);
    EXPECT_EQ(3u, value.size);
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 3), value.bytes);
}

TEST_F(RegistryValues, OtherTypesKeepTheCountGivenWhateverFollows) {
    std::vector<uint8_t> bytes = Utf16Bytes(u"abc", true);
    ASSERT_EQ(ERROR_SUCCESS, SetValuePart(key.Get(), u"Blob", REG_BINARY, bytes, 6));
    EXPECT_EQ(6u, QueryValue(key.Get(), u"Blob", kRoomy).size);
}

TEST_F(RegistryValues, ExpandableAndMultipleStringsKeepTheirTypeAndRawText) {
    std::vector<uint8_t> expandable = Utf16Bytes(u"%SystemRoot%\\x", true);
    std::vector<uint8_t> multiple = Utf16Bytes(std::u16string(u"a\0bc\0", 5), true);
    ASSERT_EQ(ERROR_SUCCESS, SetValue(key.Get(), u"Expand", REG_EXPAND_SZ, expandable));
    ASSERT_EQ(ERROR_SUCCESS, SetValue(key.Get(), u"Multi", REG_MULTI_SZ, multiple));

    QueriedValue expandRead = QueryValue(key.Get(), u"Expand", kRoomy);
    EXPECT_EQ(REG_EXPAND_SZ, expandRead.type);
    EXPECT_EQ(expandable, expandRead.bytes);
    QueriedValue multiRead = QueryValue(key.Get(), u"Multi", kRoomy);
    EXPECT_EQ(REG_MULTI_SZ, multiRead.type);
    EXPECT_EQ(multiple, multiRead.bytes);
}

TEST_F(RegistryValues, BinaryDataKeepsItsLengthAndBytes) {
    std::vector<uint8_t> bytes{0x00, 0xFF, 0x7F};
    ASSERT_EQ(ERROR_SUCCESS, SetValue(key.Get(), u"Blob", REG_BINARY, bytes));
    QueriedValue value = QueryValue(key.Get(), u"Blob", kRoomy);
    EXPECT_EQ(REG_BINARY, value.type);
    EXPECT_EQ(bytes, value.bytes);
}

// The type says nothing about the size: a DWORD value may hold any number of bytes.
TEST_F(RegistryValues, ADwordTypedValueMayHoldOtherThanFourBytes) {
    std::vector<uint8_t> bytes{1, 2, 3, 4, 5, 6};
    ASSERT_EQ(ERROR_SUCCESS, SetValue(key.Get(), u"Wide", REG_DWORD, bytes));
    QueriedValue value = QueryValue(key.Get(), u"Wide", kRoomy);
    EXPECT_EQ(REG_DWORD, value.type);
    EXPECT_EQ(bytes, value.bytes);
}

TEST_F(RegistryValues, WritingAgainReplacesTypeAndSize) {
    ASSERT_EQ(ERROR_SUCCESS, SetValue(key.Get(), u"Flag", REG_SZ, Utf16Bytes(u"yes", true)));
    ASSERT_EQ(ERROR_SUCCESS, SetValue(key.Get(), u"Flag", REG_DWORD, DwordBytes(1)));
    QueriedValue value = QueryValue(key.Get(), u"Flag", kRoomy);
    EXPECT_EQ(REG_DWORD, value.type);
    EXPECT_EQ(DwordBytes(1), value.bytes);
}

TEST_F(RegistryValues, ValueNamesIgnoreCase) {
    ASSERT_EQ(ERROR_SUCCESS, SetValue(key.Get(), u"HideMsg", REG_DWORD, DwordBytes(1)));
    EXPECT_EQ(DwordBytes(1), QueryValue(key.Get(), u"HIDEMSG", kRoomy).bytes);
    ASSERT_EQ(ERROR_SUCCESS, SetValue(key.Get(), u"hidemsg", REG_DWORD, DwordBytes(2)));
    EXPECT_EQ(DwordBytes(2), QueryValue(key.Get(), u"HideMsg", kRoomy).bytes);
}

TEST_F(RegistryValues, TheUnnamedValueIsNamedByNullOrByEmptyText) {
    ASSERT_EQ(ERROR_SUCCESS, SetValue(key.Get(), nullptr, REG_DWORD, DwordBytes(3)));
    EXPECT_EQ(DwordBytes(3), QueryValue(key.Get(), u"", kRoomy).bytes);
}

// ---- Values: empty data ------------------------------------------------------------------

TEST_F(RegistryValues, EmptyDataIsStoredAsNoBytesOfTheGivenType) {
    for (DWORD type : {REG_SZ, REG_BINARY, REG_DWORD}) {
        SCOPED_TRACE(type);
        ASSERT_EQ(ERROR_SUCCESS, platform().RegSetValueExW(key.Get(), u"Empty", type, nullptr, 0));
        QueriedValue value = QueryValue(key.Get(), u"Empty", kRoomy);
        EXPECT_EQ(ERROR_SUCCESS, value.status);
        EXPECT_EQ(type, value.type);
        EXPECT_EQ(0u, value.size);
    }
}

TEST_F(RegistryValues, AnEmptyValueFitsABufferOfNoBytes) {
    ASSERT_EQ(ERROR_SUCCESS, platform().RegSetValueExW(key.Get(), u"Empty", REG_SZ, nullptr, 0));
    QueriedValue value = QueryValue(key.Get(), u"Empty", 0);
    EXPECT_EQ(ERROR_SUCCESS, value.status);
    EXPECT_EQ(0u, value.size);
}

// ---- Values: sizes and short buffers -----------------------------------------------------

TEST_F(RegistryValues, ASizeQueryWithoutBufferGivesTypeAndSize) {
    ASSERT_EQ(ERROR_SUCCESS, SetValue(key.Get(), u"Path", REG_SZ, Utf16Bytes(u"abc", true)));
    DWORD type = REG_NONE;
    DWORD size = 0;
    EXPECT_EQ(ERROR_SUCCESS,
              platform().RegQueryValueExW(key.Get(), u"Path", &type, nullptr, &size));
    EXPECT_EQ(REG_SZ, type);
    EXPECT_EQ(8u, size);
}

TEST_F(RegistryValues, ShortBufferGetsMoreDataWithTheSizeNeededAndNothingWrittenPastIt) {
    ASSERT_EQ(ERROR_SUCCESS, SetValue(key.Get(), u"Path", REG_SZ, Utf16Bytes(u"abcdef", true)));
    std::vector<uint8_t> buffer(32, 0xCC);
    DWORD type = REG_NONE;
    DWORD size = 4;
    EXPECT_EQ(ERROR_MORE_DATA,
              platform().RegQueryValueExW(key.Get(), u"Path", &type, buffer.data(), &size));
    EXPECT_EQ(14u, size);
    EXPECT_EQ(REG_SZ, type);
    for (size_t i = 4; i < buffer.size(); ++i) {
        ASSERT_EQ(0xCC, buffer[i]) << "byte " << i << " past the buffer was written";
    }
}

TEST_F(RegistryValues, ABufferOfNoBytesGetsMoreDataForAnyContent) {
    ASSERT_EQ(ERROR_SUCCESS, SetValue(key.Get(), u"Count", REG_DWORD, DwordBytes(5)));
    QueriedValue value = QueryValue(key.Get(), u"Count", 0);
    EXPECT_EQ(ERROR_MORE_DATA, value.status);
    EXPECT_EQ(4u, value.size);
}

TEST_F(RegistryValues, ABufferOfExactlyTheSizeSucceeds) {
    ASSERT_EQ(ERROR_SUCCESS, SetValue(key.Get(), u"Path", REG_SZ, Utf16Bytes(u"abc", true)));
    QueriedValue value = QueryValue(key.Get(), u"Path", 8);
    EXPECT_EQ(ERROR_SUCCESS, value.status);
    EXPECT_EQ(Utf16Bytes(u"abc", true), value.bytes);
}

TEST_F(RegistryValues, AMissingValueIsNotFoundWithOrWithoutBuffer) {
    DWORD size = 0;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND,
              platform().RegQueryValueExW(key.Get(), u"Missing", nullptr, nullptr, &size));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, QueryValue(key.Get(), u"Missing", kRoomy).status);
}

TEST_F(RegistryValues, ABufferWithoutItsSizeIsRefused) {
    ASSERT_EQ(ERROR_SUCCESS, SetValue(key.Get(), u"Count", REG_DWORD, DwordBytes(1)));
    BYTE buffer[8] = {};
    EXPECT_EQ(ERROR_INVALID_PARAMETER,
              platform().RegQueryValueExW(key.Get(), u"Count", nullptr, buffer, nullptr));
}

TEST_F(RegistryValues, ASizeWithoutDataIsRefusedWithNoAccess) {
    EXPECT_EQ(ERROR_NOACCESS,
              platform().RegSetValueExW(key.Get(), u"Count", REG_BINARY, nullptr, 4));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, QueryValue(key.Get(), u"Count", kRoomy).status);
}

// ---- Values: rights and deletion -------------------------------------------------------

TEST_F(RegistryValues, ReadingNeedsTheQueryRightAndWritingTheSetRight) {
    ASSERT_EQ(ERROR_SUCCESS, SetValue(key.Get(), u"Count", REG_DWORD, DwordBytes(1)));
    CScopedRegKey writeOnly;
    ASSERT_EQ(ERROR_SUCCESS, scratch.Open(u"", KEY_SET_VALUE, writeOnly));
    EXPECT_EQ(ERROR_ACCESS_DENIED, QueryValue(writeOnly.Get(), u"Count", kRoomy).status);

    CScopedRegKey readOnly;
    ASSERT_EQ(ERROR_SUCCESS, scratch.Open(u"", KEY_READ, readOnly));
    EXPECT_EQ(ERROR_ACCESS_DENIED, SetValue(readOnly.Get(), u"Count", REG_DWORD, DwordBytes(2)));
    EXPECT_EQ(ERROR_ACCESS_DENIED, platform().RegDeleteValueW(readOnly.Get(), u"Count"));
    EXPECT_EQ(DwordBytes(1), QueryValue(readOnly.Get(), u"Count", kRoomy).bytes);
}

TEST_F(RegistryValues, ADeletedValueIsGoneAndASecondDeleteIsNotFound) {
    ASSERT_EQ(ERROR_SUCCESS, SetValue(key.Get(), u"HideMsg", REG_DWORD, DwordBytes(1)));
    EXPECT_EQ(ERROR_SUCCESS, platform().RegDeleteValueW(key.Get(), u"HideMsg"));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, QueryValue(key.Get(), u"HideMsg", kRoomy).status);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, platform().RegDeleteValueW(key.Get(), u"HideMsg"));
}

// ---- Keys --------------------------------------------------------------------------------

TEST_F(RegistryKeys, CreatingReportsANewKeyAndThenAnExistingOne) {
    CScopedRegKey first;
    DWORD disposition = 0;
    ASSERT_EQ(ERROR_SUCCESS, scratch.Create(u"Tool", KEY_WRITE, first, &disposition));
    EXPECT_EQ(REG_CREATED_NEW_KEY, disposition);
    CScopedRegKey second;
    disposition = 0;
    ASSERT_EQ(ERROR_SUCCESS, scratch.Create(u"Tool", KEY_WRITE, second, &disposition));
    EXPECT_EQ(REG_OPENED_EXISTING_KEY, disposition);
}

TEST_F(RegistryKeys, CreatingANestedPathMakesTheMissingParents) {
    CScopedRegKey leaf;
    DWORD disposition = 0;
    ASSERT_EQ(ERROR_SUCCESS, scratch.Create(u"A\\B\\C", KEY_WRITE, leaf, &disposition));
    EXPECT_EQ(REG_CREATED_NEW_KEY, disposition);
    CScopedRegKey middle;
    EXPECT_EQ(ERROR_SUCCESS, scratch.Open(u"A\\B", KEY_READ, middle));
    ASSERT_EQ(ERROR_SUCCESS, scratch.Create(u"A\\B", KEY_WRITE, middle, &disposition));
    EXPECT_EQ(REG_OPENED_EXISTING_KEY, disposition);
}

// The program creates its key before it deletes a value from it.
TEST_F(RegistryKeys, DeletingAValueFromAJustCreatedKeyIsNotFound) {
    CScopedRegKey created;
    DWORD disposition = 0;
    ASSERT_EQ(ERROR_SUCCESS, scratch.Create(u"Fresh", KEY_WRITE, created, &disposition));
    ASSERT_EQ(REG_CREATED_NEW_KEY, disposition);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, platform().RegDeleteValueW(created.Get(), u"HideMsg"));
}

TEST_F(RegistryKeys, OpeningAMissingKeyIsNotFound) {
    CScopedRegKey missing;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, scratch.Open(u"Missing", KEY_READ, missing));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, scratch.Open(u"Missing\\Deeper", KEY_READ, missing));
}

TEST_F(RegistryKeys, KeyNamesIgnoreCase) {
    CScopedRegKey created;
    ASSERT_EQ(ERROR_SUCCESS, scratch.Create(u"Mixed\\Case", KEY_WRITE, created));
    CScopedRegKey opened;
    EXPECT_EQ(ERROR_SUCCESS, scratch.Open(u"MIXED\\case", KEY_READ, opened));
}

TEST_F(RegistryKeys, AKeyWithSubkeysCannotBeDeleted) {
    CScopedRegKey child;
    ASSERT_EQ(ERROR_SUCCESS, scratch.Create(u"Parent\\Child", KEY_WRITE, child));
    child.Close();
    EXPECT_EQ(ERROR_ACCESS_DENIED, scratch.Delete(u"Parent"));
    CScopedRegKey parent;
    EXPECT_EQ(ERROR_SUCCESS, scratch.Open(u"Parent", KEY_READ, parent));
    parent.Close();

    EXPECT_EQ(ERROR_SUCCESS, scratch.Delete(u"Parent\\Child"));
    EXPECT_EQ(ERROR_SUCCESS, scratch.Delete(u"Parent"));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, scratch.Open(u"Parent", KEY_READ, parent));
}

TEST_F(RegistryKeys, DeletingAMissingKeyIsNotFound) {
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, scratch.Delete(u"Missing"));
}

TEST_F(RegistryKeys, AHandleToADeletedKeyAnswersKeyDeleted) {
    CScopedRegKey doomed;
    ASSERT_EQ(ERROR_SUCCESS, scratch.Create(u"Doomed", KEY_ALL_ACCESS, doomed));
    ASSERT_EQ(ERROR_SUCCESS, SetValue(doomed.Get(), u"Count", REG_DWORD, DwordBytes(1)));
    ASSERT_EQ(ERROR_SUCCESS, scratch.Delete(u"Doomed"));
    EXPECT_EQ(ERROR_KEY_DELETED, QueryValue(doomed.Get(), u"Count", kRoomy).status);
    EXPECT_EQ(ERROR_KEY_DELETED, SetValue(doomed.Get(), u"Count", REG_DWORD, DwordBytes(2)));
    EXPECT_EQ(ERROR_SUCCESS, doomed.Close());
}

TEST_F(RegistryKeys, APathWithALeadingBackslashIsRefused) {
    CScopedRegKey opened;
    std::u16string path = u"\\" + scratch.Path();
    EXPECT_EQ(ERROR_BAD_PATHNAME, platform().RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0,
                                                           KEY_READ, opened.Receive()));
}

TEST_F(RegistryKeys, ATrailingBackslashIsHarmless) {
    CScopedRegKey created;
    DWORD disposition = 0;
    ASSERT_EQ(ERROR_SUCCESS, scratch.Create(u"Tail\\", KEY_WRITE, created, &disposition));
    EXPECT_EQ(REG_CREATED_NEW_KEY, disposition);
    CScopedRegKey opened;
    EXPECT_EQ(ERROR_SUCCESS, scratch.Open(u"Tail", KEY_READ, opened));
}

TEST_F(RegistryKeys, ClosingAPredefinedRootSucceedsAndClosingNullFails) {
    EXPECT_EQ(ERROR_SUCCESS, platform().RegCloseKey(HKEY_LOCAL_MACHINE));
    EXPECT_EQ(ERROR_INVALID_HANDLE, platform().RegCloseKey(nullptr));
}

TEST_F(RegistryKeys, OpeningNoSubkeyOfAPredefinedRootGivesTheRootBack) {
    HKEY opened = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              platform().RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"", 0, KEY_READ, &opened));
    EXPECT_EQ(HKEY_LOCAL_MACHINE, opened);
    platform().RegCloseKey(opened);
}

// ---- Views -------------------------------------------------------------------------------

// A 32-bit process on 64-bit Windows: HKLM\SOFTWARE has a 32-bit view (the default) and
// a 64-bit view; HKLM\SYSTEM is one key for both.
class RegistryViews : public ContractTest {
protected:
    static DWORD ReadSide(const ScratchKeys& view) {
        CScopedRegKey key;
        if (view.Open(u"Tool", KEY_READ, key) != ERROR_SUCCESS) {
            return 0;
        }
        std::vector<uint8_t> bytes = QueryValue(key.Get(), u"Side", kRoomy).bytes;
        return bytes == DwordBytes(32) ? 32 : bytes == DwordBytes(64) ? 64 : 0;
    }

    static LSTATUS WriteSide(ScratchKeys& view, DWORD side, DWORD* disposition = nullptr) {
        CScopedRegKey key;
        LSTATUS status = view.Create(u"Tool", KEY_WRITE, key, disposition);
        return status != ERROR_SUCCESS ? status
                                       : SetValue(key.Get(), u"Side", REG_DWORD, DwordBytes(side));
    }

    std::u16string name = UniqueName();
    ScratchKeys softwareDefault{u"SOFTWARE", 0, name};
    ScratchKeys software32{u"SOFTWARE", KEY_WOW64_32KEY, name};
    ScratchKeys software64{u"SOFTWARE", KEY_WOW64_64KEY, name};
};

TEST_F(RegistryViews, TheDefaultViewOfSoftwareIsThe32BitView) {
    ASSERT_EQ(ERROR_SUCCESS, WriteSide(softwareDefault, 32));
    EXPECT_EQ(32u, ReadSide(software32));
    CScopedRegKey key;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, software64.Open(u"Tool", KEY_READ, key));
}

TEST_F(RegistryViews, The32BitViewIsWow6432NodeOfThe64BitView) {
    ASSERT_EQ(ERROR_SUCCESS, WriteSide(softwareDefault, 32));
    std::u16string redirected = u"SOFTWARE\\WOW6432Node\\QuenlathContract\\" + name + u"\\Tool";
    CScopedRegKey key;
    EXPECT_EQ(ERROR_SUCCESS, platform().RegOpenKeyExW(HKEY_LOCAL_MACHINE, redirected.c_str(), 0,
                                                      KEY_READ | KEY_WOW64_64KEY, key.Receive()));
}

TEST_F(RegistryViews, AKeyMadeInThe64BitViewIsAbsentFromTheDefaultView) {
    DWORD disposition = 0;
    ASSERT_EQ(ERROR_SUCCESS, WriteSide(software64, 64, &disposition));
    EXPECT_EQ(REG_CREATED_NEW_KEY, disposition);
    EXPECT_EQ(64u, ReadSide(software64));
    CScopedRegKey key;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, softwareDefault.Open(u"Tool", KEY_READ, key));
}

TEST_F(RegistryViews, TheTwoViewsKeepSeparateKeysUnderTheSamePath) {
    DWORD disposition = 0;
    ASSERT_EQ(ERROR_SUCCESS, WriteSide(software64, 64, &disposition));
    ASSERT_EQ(ERROR_SUCCESS, WriteSide(softwareDefault, 32, &disposition));
    EXPECT_EQ(REG_CREATED_NEW_KEY, disposition);
    EXPECT_EQ(64u, ReadSide(software64));
    EXPECT_EQ(32u, ReadSide(softwareDefault));
}

TEST_F(RegistryViews, SystemIsOneKeyForBothViews) {
    ScratchKeys systemDefault{u"SYSTEM", 0, name};
    ScratchKeys system64{u"SYSTEM", KEY_WOW64_64KEY, name};
    ASSERT_EQ(ERROR_SUCCESS, WriteSide(systemDefault, 32));
    EXPECT_EQ(32u, ReadSide(system64));
    DWORD disposition = 0;
    ASSERT_EQ(ERROR_SUCCESS, WriteSide(system64, 64, &disposition));
    EXPECT_EQ(REG_OPENED_EXISTING_KEY, disposition);
    EXPECT_EQ(64u, ReadSide(systemDefault));
}
