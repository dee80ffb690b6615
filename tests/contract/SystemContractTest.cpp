// What the system-information, module, security and environment calls must do for a
// 32-bit process on 64-bit Windows run by an administrator.

#include "contract/ContractSupport.h"

#include <cerrno>
#include <cstring>

using namespace contract;

namespace {

constexpr DWORD kErrorModNotFound = 126;
constexpr DWORD kErrorProcNotFound = 127;
constexpr DWORD kErrorInvalidSid = 1337;
constexpr DWORD kBasicRecordSize = 276;
constexpr DWORD kExtendedRecordSize = 284;
constexpr DWORD kWrongRecordSizes[] = {0, kBasicRecordSize - 4, kExtendedRecordSize + 4};

using SystemVersion = ContractTest;
using Modules = ContractTest;
using Security = ContractTest;
using EnvironmentVariables = ContractTest;

// Wine 8's msvcrt answers a size query with ERANGE and a missing variable with EINVAL, and
// leaves the buffer as it was; later Wine answers as Windows does.
constexpr const char* kOldWgetenvS =
    "_wgetenv_s answers ERANGE to a size query and EINVAL for a missing variable, and "
    "does not empty the buffer";

using NativeSystemInfoFunction = void(WINAPI*)(SYSTEM_INFO*);

OSVERSIONINFOEXW RecordOfSize(DWORD size) {
    OSVERSIONINFOEXW info;
    std::memset(&info, 0xAB, sizeof(info));
    info.dwOSVersionInfoSize = size;
    return info;
}

HMODULE Kernel32() {
    return platform().GetModuleHandleW(u"kernel32.dll");
}

// _wgetenv_s's answer for a buffer of bufferChars (none when 0).
struct Variable {
    errno_t result = 0;
    size_t required = 0;
    std::u16string text;
};

Variable ReadVariable(const wchar16* name, size_t bufferChars) {
    Variable variable;
    std::vector<wchar16> buffer(bufferChars + 1, u'#');
    variable.result = platform()._wgetenv_s(
        &variable.required, bufferChars == 0 ? nullptr : buffer.data(), bufferChars, name);
    variable.text = TextBefore(buffer);
    return variable;
}

} // namespace

// ---- Version -----------------------------------------------------------------------------

TEST_F(SystemVersion, TheBasicAndTheExtendedRecordAreFilledIn) {
    OSVERSIONINFOEXW basic = RecordOfSize(kBasicRecordSize);
    ASSERT_TRUE(platform().GetVersionExW(&basic));
    EXPECT_EQ(VER_PLATFORM_WIN32_NT, basic.dwPlatformId);
    EXPECT_GE(basic.dwMajorVersion, 6u);

    OSVERSIONINFOEXW extended = RecordOfSize(kExtendedRecordSize);
    ASSERT_TRUE(platform().GetVersionExW(&extended));
    EXPECT_EQ(basic.dwMajorVersion, extended.dwMajorVersion);
    EXPECT_EQ(basic.dwMinorVersion, extended.dwMinorVersion);
    EXPECT_EQ(VER_NT_WORKSTATION, extended.wProductType);
}

TEST_F(SystemVersion, TheBasicRecordLeavesTheExtendedFieldsAlone) {
    OSVERSIONINFOEXW basic = RecordOfSize(kBasicRecordSize);
    ASSERT_TRUE(platform().GetVersionExW(&basic));
    EXPECT_EQ(0xABABu, basic.wServicePackMajor);
    EXPECT_EQ(0xABu, basic.wProductType);
}

TEST_F(SystemVersion, ARecordOfAnyOtherSizeIsRefused) {
    for (DWORD size : kWrongRecordSizes) {
        SCOPED_TRACE(size);
        OSVERSIONINFOEXW info = RecordOfSize(size);
        EXPECT_FALSE(platform().GetVersionExW(&info));
        EXPECT_EQ(0xABABABABu, info.dwMajorVersion);
    }
}

TEST_F(SystemVersion, ARecordOfAnyOtherSizeIsRefusedWithInsufficientBuffer) {
    SKIP_ON_WINE("GetVersionExW refuses a wrong size without setting the last error (its "
                 "GetVersionExA sets ERROR_INSUFFICIENT_BUFFER, as Windows does)");
    for (DWORD size : kWrongRecordSizes) {
        SCOPED_TRACE(size);
        OSVERSIONINFOEXW info = RecordOfSize(size);
        platform().SetLastError(ERROR_SUCCESS);
        EXPECT_FALSE(platform().GetVersionExW(&info));
        EXPECT_EQ(ERROR_INSUFFICIENT_BUFFER, platform().GetLastError());
    }
}

TEST_F(SystemVersion, IconsAre32PixelsSquare) {
    EXPECT_EQ(32, platform().GetSystemMetrics(SM_CXICON));
    EXPECT_EQ(32, platform().GetSystemMetrics(SM_CYICON));
}

// ---- Modules -----------------------------------------------------------------------------

TEST_F(Modules, Kernel32IsLoadedUnderItsNameWithOrWithoutExtension) {
    EXPECT_NE(nullptr, Kernel32());
    EXPECT_EQ(Kernel32(), platform().GetModuleHandleW(u"KERNEL32"));
}

TEST_F(Modules, AModuleNotLoadedIsNotFound) {
    EXPECT_EQ(nullptr, platform().GetModuleHandleW(u"quenlathnosuch.dll"));
    EXPECT_EQ(kErrorModNotFound, platform().GetLastError());
}

TEST_F(Modules, Kernel32ExportsTheVersionHelpersAndNothingUnknown) {
    EXPECT_NE(nullptr, platform().GetProcAddress(Kernel32(), "GetNativeSystemInfo"));
    EXPECT_NE(nullptr, platform().GetProcAddress(Kernel32(), "GetProductInfo"));
    EXPECT_EQ(nullptr, platform().GetProcAddress(Kernel32(), "QuenlathNoSuchFunction"));
    EXPECT_EQ(kErrorProcNotFound, platform().GetLastError());
}

TEST_F(Modules, TheNativeSystemIs64BitX86) {
    auto nativeSystemInfo = reinterpret_cast<NativeSystemInfoFunction>(
        reinterpret_cast<void*>(platform().GetProcAddress(Kernel32(), "GetNativeSystemInfo")));
    ASSERT_NE(nullptr, nativeSystemInfo);
    SYSTEM_INFO info{};
    nativeSystemInfo(&info);
    EXPECT_EQ(PROCESSOR_ARCHITECTURE_AMD64, info.wProcessorArchitecture);
}

// ---- Security ----------------------------------------------------------------------------

TEST_F(Security, TheProcessBelongsToTheAdministratorsGroup) {
    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    PSID administrators = nullptr;
    ASSERT_TRUE(platform().AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                                    DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                                    &administrators));
    BOOL member = FALSE;
    EXPECT_TRUE(platform().CheckTokenMembership(nullptr, administrators, &member));
    EXPECT_TRUE(member);
    EXPECT_EQ(nullptr, platform().FreeSid(administrators));
}

TEST_F(Security, ASidOfMoreThanEightSubauthoritiesIsRefused) {
    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    PSID sid = nullptr;
    EXPECT_FALSE(
        platform().AllocateAndInitializeSid(&ntAuthority, 9, 0, 0, 0, 0, 0, 0, 0, 0, &sid));
    EXPECT_EQ(kErrorInvalidSid, platform().GetLastError());
}

// ---- Environment -------------------------------------------------------------------------

TEST_F(EnvironmentVariables, A32BitProcessSeesTheX86ProgramFilesFolder) {
    EXPECT_EQ(u"C:\\Program Files (x86)", ReadVariable(u"ProgramFiles", MAX_PATH).text);
    EXPECT_EQ(u"C:\\Program Files", ReadVariable(u"ProgramW6432", MAX_PATH).text);
}

TEST_F(EnvironmentVariables, NamesIgnoreCase) {
    EXPECT_EQ(u"C:\\Program Files (x86)", ReadVariable(u"PROGRAMFILES", MAX_PATH).text);
}

TEST_F(EnvironmentVariables, ASizeQueryGivesTheCharactersNeededWithTheTerminator) {
    SKIP_ON_WINE(kOldWgetenvS);
    Variable variable = ReadVariable(u"ProgramFiles", 0);
    EXPECT_EQ(0, variable.result);
    EXPECT_EQ(sizeof("C:\\Program Files (x86)"), variable.required);
}

TEST_F(EnvironmentVariables, ABufferTooSmallAnswersRangeErrorAndIsEmptied) {
    SKIP_ON_WINE(kOldWgetenvS);
    Variable variable = ReadVariable(u"ProgramFiles", 5);
    EXPECT_EQ(ERANGE, variable.result);
    EXPECT_EQ(sizeof("C:\\Program Files (x86)"), variable.required);
    EXPECT_EQ(u"", variable.text);
}

TEST_F(EnvironmentVariables, AMissingVariableGivesNothingAndNoError) {
    SKIP_ON_WINE(kOldWgetenvS);
    Variable variable = ReadVariable(u"QUENLATH_CONTRACT_UNSET", MAX_PATH);
    EXPECT_EQ(0, variable.result);
    EXPECT_EQ(0u, variable.required);
    EXPECT_EQ(u"", variable.text);
}
