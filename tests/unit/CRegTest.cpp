#include "machine/Machine.h"
#include "registry/Reg.h"

#include <gtest/gtest.h>

namespace {

using namespace std::string_literals;

const HKEY kHklm = HKEY_LOCAL_MACHINE;
const std::u16string kProductKey = u"Software\\Korvane\\Morvessa";

// Every test checks that no key stays open, whatever path the operation took.
class CRegTest : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_EQ(machine.OpenKeyCount(), 0u); }

    size_t CallCount(const std::string& operation) const {
        size_t count = 0;
        for (const RegCall& call : machine.RegistryCalls()) {
            count += call.operation == operation ? 1 : 0;
        }
        return count;
    }

    Machine machine;
    ScopedPlatform guard{machine};
    CReg reg;
    const wchar16* key = kProductKey.c_str();
};

} // namespace

// ReadDword.

TEST_F(CRegTest, ReadDwordReadsDwordValue) {
    machine.PlantDword(kHklm, kProductKey, u"HideMsg", 0x12345678);
    DWORD value = 0;
    EXPECT_TRUE(reg.ReadDword(kHklm, key, u"HideMsg", &value));
    EXPECT_EQ(value, 0x12345678u);
}

TEST_F(CRegTest, ReadDwordRefusesOtherTypesAndLeavesVariable) {
    machine.PlantValue(kHklm, kProductKey, u"Binary", REG_BINARY, {1, 0, 0, 0});
    DWORD value = 7;
    EXPECT_FALSE(reg.ReadDword(kHklm, key, u"Binary", &value));
    EXPECT_FALSE(reg.ReadDword(kHklm, key, u"Missing", &value));
    EXPECT_FALSE(reg.ReadDword(kHklm, u"Software\\Missing", u"HideMsg", &value));
    EXPECT_EQ(value, 7u);
}

TEST_F(CRegTest, ReadDwordAcceptsDataUpTo256Bytes) {
    machine.PlantValue(kHklm, kProductKey, u"Long", REG_DWORD, std::vector<uint8_t>(256, 1));
    machine.PlantValue(kHklm, kProductKey, u"TooLong", REG_DWORD, std::vector<uint8_t>(257, 1));
    DWORD value = 0;
    EXPECT_TRUE(reg.ReadDword(kHklm, key, u"Long", &value));
    EXPECT_EQ(value, 0x01010101u);
    EXPECT_FALSE(reg.ReadDword(kHklm, key, u"TooLong", &value));
}

TEST_F(CRegTest, ReadDwordZeroExtendsShortData) {
    machine.PlantValue(kHklm, kProductKey, u"Short", REG_DWORD, {0x34, 0x12});
    DWORD value = 0xFFFFFFFF;
    EXPECT_TRUE(reg.ReadDword(kHklm, key, u"Short", &value));
    EXPECT_EQ(value, 0x1234u);
}

// ReadString.

TEST_F(CRegTest, ReadStringReturnsRawTextOfEveryStringType) {
    machine.PlantString(kHklm, kProductKey, u"Sz", u"1.2.3");
    machine.PlantString(kHklm, kProductKey, u"Expand", u"%ProgramFiles%", REG_EXPAND_SZ);
    machine.PlantValue(kHklm, kProductKey, u"Multi", REG_MULTI_SZ, Utf16Bytes(u"a\0b"s));
    for (const char16_t* name : {u"Sz", u"Expand", u"Multi"}) {
        wchar16 text[260] = {};
        DWORD size = sizeof(text);
        EXPECT_TRUE(reg.ReadString(kHklm, key, name, text, &size));
        EXPECT_EQ(std::vector<uint8_t>(reinterpret_cast<uint8_t*>(text),
                                       reinterpret_cast<uint8_t*>(text) + size),
                  machine.Value(kHklm, kProductKey, name)->bytes);
    }
}

TEST_F(CRegTest, ReadStringRefusesDwordAndTooSmallBuffer) {
    machine.PlantDword(kHklm, kProductKey, u"HideMsg", 1);
    machine.PlantString(kHklm, kProductKey, u"VERSION", u"1.2.3");
    wchar16 text[4] = {};
    DWORD size = sizeof(text);
    EXPECT_FALSE(reg.ReadString(kHklm, key, u"HideMsg", text, &size));
    size = sizeof(text);
    EXPECT_FALSE(reg.ReadString(kHklm, key, u"VERSION", text, &size));
}

// WriteDword.

TEST_F(CRegTest, WriteDwordCreatesMissingKeyInDefaultView) {
    EXPECT_TRUE(reg.WriteDword(kHklm, key, u"HideMsg", 1));
    auto value = machine.Value(kHklm, kProductKey, u"HideMsg", RegView::View32);
    ASSERT_TRUE(value.has_value());
    EXPECT_EQ(value->type, REG_DWORD);
    EXPECT_EQ(value->bytes, (std::vector<uint8_t>{1, 0, 0, 0}));
    EXPECT_FALSE(machine.KeyPresent(kHklm, kProductKey, RegView::View64));
}

TEST_F(CRegTest, WriteDwordRetriesWithWriteAccessWhenFullAccessIsDenied) {
    machine.PlantKey(kHklm, kProductKey);
    machine.RestrictKeyAccess(kHklm, kProductKey, KEY_WRITE);
    EXPECT_TRUE(reg.WriteDword(kHklm, key, u"HideMsg", 1));
    EXPECT_TRUE(machine.Value(kHklm, kProductKey, u"HideMsg").has_value());
    std::vector<REGSAM> creates;
    for (const RegCall& call : machine.RegistryCalls()) {
        if (call.operation == "create") {
            creates.push_back(call.access);
        }
    }
    EXPECT_EQ(creates, (std::vector<REGSAM>{KEY_ALL_ACCESS, KEY_WRITE}));
}

TEST_F(CRegTest, WriteDwordFailsAfterOneRetry) {
    machine.PlantKey(kHklm, kProductKey);
    machine.RestrictKeyAccess(kHklm, kProductKey, KEY_QUERY_VALUE);
    EXPECT_FALSE(reg.WriteDword(kHklm, key, u"HideMsg", 1));
    EXPECT_EQ(CallCount("create"), 2u);
}

// Size and binary reads.

TEST_F(CRegTest, QueryValueSizeReportsSizeOfAnyType) {
    machine.PlantValue(kHklm, kProductKey, u"Empty", REG_BINARY, {});
    machine.PlantString(kHklm, kProductKey, u"Text", u"abc");
    DWORD size = 99;
    EXPECT_TRUE(reg.QueryValueSize(kHklm, key, u"Empty", &size));
    EXPECT_EQ(size, 0u);
    EXPECT_TRUE(reg.QueryValueSize(kHklm, key, u"Text", &size));
    EXPECT_EQ(size, 8u);
    EXPECT_FALSE(reg.QueryValueSize(kHklm, key, u"Missing", &size));
    EXPECT_EQ(size, 8u);
}

TEST_F(CRegTest, ReadBinaryReadsAnyTypeIntoBufferOfItsSize) {
    machine.PlantString(kHklm, kProductKey, u"Text", u"abc");
    BYTE data[8] = {};
    DWORD size = 8;
    EXPECT_TRUE(reg.ReadBinary(kHklm, key, u"Text", data, &size));
    EXPECT_EQ(std::vector<uint8_t>(data, data + 8), Utf16Bytes(u"abc"));
    size = 7;
    EXPECT_FALSE(reg.ReadBinary(kHklm, key, u"Text", data, &size));
}

// Writes, creation and deletion.

TEST_F(CRegTest, WriteBinaryWrites256BytesButRefuses257WithoutTouchingRegistry) {
    std::vector<uint8_t> bytes(257, 0xAB);
    EXPECT_FALSE(reg.WriteBinary(kHklm, key, u"Blob", bytes.data(), 257));
    EXPECT_TRUE(machine.RegistryCalls().empty());
    EXPECT_FALSE(machine.KeyPresent(kHklm, kProductKey));
    bytes.resize(256);
    EXPECT_TRUE(reg.WriteBinary(kHklm, key, u"Blob", bytes.data(), 256));
    EXPECT_EQ(machine.Value(kHklm, kProductKey, u"Blob")->type, REG_BINARY);
    EXPECT_EQ(machine.Value(kHklm, kProductKey, u"Blob")->bytes, bytes);
}

TEST_F(CRegTest, CreateKeySucceedsOnlyForNewKey) {
    EXPECT_TRUE(reg.CreateKey(kHklm, key));
    EXPECT_TRUE(machine.KeyPresent(kHklm, kProductKey));
    EXPECT_FALSE(reg.CreateKey(kHklm, key));
}

TEST_F(CRegTest, DeleteValueOnMissingKeyCreatesKeyAndFails) {
    EXPECT_FALSE(reg.DeleteValue(kHklm, key, u"HideMsg"));
    EXPECT_TRUE(machine.KeyPresent(kHklm, kProductKey));
    machine.PlantDword(kHklm, kProductKey, u"HideMsg", 1);
    EXPECT_TRUE(reg.DeleteValue(kHklm, key, u"HideMsg"));
    EXPECT_FALSE(machine.Value(kHklm, kProductKey, u"HideMsg").has_value());
}

// Access rights.

TEST_F(CRegTest, KeysAreOpenedForQueryAndCreatedForFullAccessWithoutViewFlag) {
    machine.PlantString(kHklm, kProductKey, u"VERSION", u"1.0");
    DWORD value = 0;
    wchar16 text[8];
    DWORD size = sizeof(text);
    BYTE byte = 0;
    reg.ReadString(kHklm, key, u"VERSION", text, &size);
    reg.ReadDword(kHklm, key, u"VERSION", &value);
    DWORD byteSize = 1;
    reg.ReadBinary(kHklm, key, u"VERSION", &byte, &byteSize);
    reg.QueryValueSize(kHklm, key, u"VERSION", &value);
    reg.KeyExists(kHklm, key);
    reg.ValueExists(kHklm, key, u"VERSION");
    reg.WriteString(kHklm, key, u"A", text, 2);
    reg.WriteDword(kHklm, key, u"B", 1);
    reg.WriteBinary(kHklm, key, u"C", &byte, 1);
    reg.CreateKey(kHklm, key);
    reg.DeleteValue(kHklm, key, u"A");
    EXPECT_EQ(CallCount("open"), 6u);
    EXPECT_EQ(CallCount("create"), 5u);
    for (const RegCall& call : machine.RegistryCalls()) {
        if (call.operation == "open") {
            EXPECT_EQ(call.access, KEY_QUERY_VALUE);
        } else if (call.operation == "create") {
            EXPECT_EQ(call.access, KEY_ALL_ACCESS);
        }
    }
}
