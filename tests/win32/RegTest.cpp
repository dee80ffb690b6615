// CReg against Wine's registry.

#include "WineMachine.h"

#include "common/ScopedWin.h"
#include "registry/Reg.h"

#include <gtest/gtest.h>

#include <sddl.h>

#include <cstring>
#include <memory>

using namespace wine_machine;

namespace {

const std::wstring kTestKey = L"SOFTWARE\\QuenlathTests";
constexpr char16_t kKey[] = u"SOFTWARE\\QuenlathTests";
constexpr char16_t kMissingKey[] = u"SOFTWARE\\QuenlathTests\\Missing";

class RegTest : public ::testing::Test {
protected:
    void SetUp() override { TearDown(); }
    void TearDown() override {
        DeleteTree(kTestKey, View::Bits32);
        DeleteTree(kTestKey, View::Bits64);
    }
    CReg reg;
};

TEST_F(RegTest, ProductKeysLandInTheProcesssOwnThirtyTwoBitView) {
    ASSERT_TRUE(reg.WriteDword(HKEY_LOCAL_MACHINE, u"SOFTWARE\\QuenlathTests\\New", u"HideMsg", 1));
    EXPECT_TRUE(KeyExists(kTestKey + L"\\New", View::Bits32));
    EXPECT_FALSE(KeyExists(kTestKey + L"\\New", View::Bits64));
    SetDword(kTestKey, L"Only64", 7, View::Bits64);
    DWORD value = 0;
    EXPECT_FALSE(reg.ReadDword(HKEY_LOCAL_MACHINE, kKey, u"Only64", &value));
}

// A DWORD read takes a DWORD of at most 256 bytes; a string read takes the three string
// types.
TEST_F(RegTest, EachReadTakesItsOwnTypes) {
    SetDword(kTestKey, L"Dword", 42);
    const BYTE four[4] = {1, 0, 0, 0};
    SetValue(kTestKey, L"Binary", REG_BINARY, four, 4);
    BYTE long300[300] = {};
    SetValue(kTestKey, L"Long", REG_DWORD, long300, sizeof(long300));
    SetValue(kTestKey, L"Expand", REG_EXPAND_SZ, L"%SystemRoot%", 26);
    SetValue(kTestKey, L"Multi", REG_MULTI_SZ, L"a\0b\0", 10);
    DWORD value = 0;
    EXPECT_TRUE(reg.ReadDword(HKEY_LOCAL_MACHINE, kKey, u"Dword", &value));
    EXPECT_EQ(value, 42u);
    EXPECT_FALSE(reg.ReadDword(HKEY_LOCAL_MACHINE, kKey, u"Binary", &value));
    EXPECT_FALSE(reg.ReadDword(HKEY_LOCAL_MACHINE, kKey, u"Long", &value));
    EXPECT_FALSE(reg.ReadDword(HKEY_LOCAL_MACHINE, kMissingKey, u"Dword", &value));
    char16_t text[260];
    DWORD cb = sizeof(text);
    EXPECT_TRUE(reg.ReadString(HKEY_LOCAL_MACHINE, kKey, u"Expand", text, &cb));
    cb = sizeof(text);
    EXPECT_TRUE(reg.ReadString(HKEY_LOCAL_MACHINE, kKey, u"Multi", text, &cb));
    cb = sizeof(text);
    EXPECT_FALSE(reg.ReadString(HKEY_LOCAL_MACHINE, kKey, u"Dword", text, &cb));
}

TEST_F(RegTest, WritesCreateTheKey) {
    EXPECT_TRUE(reg.WriteString(HKEY_LOCAL_MACHINE, kKey, u"Version", u"V3", 6));
    BYTE block[257];
    std::memset(block, 0xA5, sizeof(block));
    EXPECT_TRUE(reg.WriteBinary(HKEY_LOCAL_MACHINE, kKey, u"Block", block, 256));
    EXPECT_FALSE(reg.WriteBinary(HKEY_LOCAL_MACHINE, kKey, u"Block", block, 257));
    BYTE read[256] = {};
    DWORD cb = sizeof(read);
    EXPECT_TRUE(reg.ReadBinary(HKEY_LOCAL_MACHINE, kKey, u"Block", read, &cb));
    EXPECT_EQ(std::memcmp(read, block, 256), 0);
}

TEST_F(RegTest, SizesAndPresence) {
    SetString(kTestKey, L"Text", L"abc");
    DWORD cb = 0;
    EXPECT_TRUE(reg.QueryValueSize(HKEY_LOCAL_MACHINE, kKey, u"Text", &cb));
    EXPECT_FALSE(reg.QueryValueSize(HKEY_LOCAL_MACHINE, kKey, u"Absent", &cb));
    EXPECT_TRUE(reg.ValueExists(HKEY_LOCAL_MACHINE, kKey, u"Text"));
    EXPECT_FALSE(reg.ValueExists(HKEY_LOCAL_MACHINE, kMissingKey, u"Text"));
    BYTE data[8] = {};
    EXPECT_FALSE(reg.ReadBinary(HKEY_LOCAL_MACHINE, kMissingKey, u"Text", data, &cb));
}

TEST_F(RegTest, KeysAndValuesAreCreatedAndDeleted) {
    EXPECT_TRUE(reg.CreateKey(HKEY_LOCAL_MACHINE, kMissingKey));
    EXPECT_FALSE(reg.CreateKey(HKEY_LOCAL_MACHINE, kMissingKey)) << "an existing key";
    EXPECT_TRUE(reg.DeleteKey(HKEY_LOCAL_MACHINE, kMissingKey));
    EXPECT_FALSE(reg.KeyExists(HKEY_LOCAL_MACHINE, kMissingKey));
    SetDword(kTestKey, L"HideMsg", 1);
    EXPECT_TRUE(reg.DeleteValue(HKEY_LOCAL_MACHINE, kKey, u"HideMsg"));
}

// Gives everyone, administrators included, only these rights to the key (in SDDL's letters)
// with a protected DACL, to which nothing inherited adds rights back.
void LockKey(const std::wstring& subKey, const std::wstring& rights) {
    HKEY hKey = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, subKey.c_str(), 0, nullptr, 0,
                              WRITE_DAC | KEY_WOW64_32KEY, nullptr, &hKey, nullptr),
              ERROR_SUCCESS);
    CScopedRegKey key;
    key.Attach(hKey);
    PSECURITY_DESCRIPTOR pDescriptor = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(
        (L"D:P(A;;" + rights + L";;;WD)").c_str(), SDDL_REVISION_1, &pDescriptor, nullptr));
    std::unique_ptr<void, CLocalFree> descriptor(pDescriptor);
    EXPECT_EQ(RegSetKeySecurity(key.Get(), DACL_SECURITY_INFORMATION, pDescriptor), ERROR_SUCCESS);
}

TEST_F(RegTest, WriteDwordNeedsOnlyTheRightToWrite) {
    LockKey(kTestKey + L"\\Writable", L"KRKW");
    LockKey(kTestKey + L"\\ReadOnly", L"KR");
    EXPECT_TRUE(reg.WriteDword(HKEY_LOCAL_MACHINE, u"SOFTWARE\\QuenlathTests\\Writable", u"V", 3));
    EXPECT_FALSE(reg.WriteDword(HKEY_LOCAL_MACHINE, u"SOFTWARE\\QuenlathTests\\ReadOnly", u"V", 3));
    EXPECT_FALSE(
        reg.WriteString(HKEY_LOCAL_MACHINE, u"SOFTWARE\\QuenlathTests\\Writable", u"S", u"x", 4))
        << "the other writes ask for full access";
}

} // namespace
