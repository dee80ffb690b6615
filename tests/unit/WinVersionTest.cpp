// Windows version classification: the code from platform, version, product type and
// native architecture, and the facts gathered on the way.

#include "app/WinVersion.h"
#include "machine/Machine.h"

#include <gtest/gtest.h>

namespace {

constexpr BYTE kWorkstation = VER_NT_WORKSTATION;
constexpr BYTE kServer = VER_NT_SERVER;

struct VersionCase {
    const char* name;
    DWORD platformId;
    DWORD major;
    DWORD minor;
    BYTE productType;
    WORD nativeArchitecture;
    short expected;
};

void PrintTo(const VersionCase& versionCase, std::ostream* os) {
    *os << versionCase.name;
}

class ClassificationTest : public ::testing::TestWithParam<VersionCase> {
protected:
    Machine machine;
    ScopedPlatform guard{machine};
};

TEST_P(ClassificationTest, GivesTheCodeOfTheTable) {
    const VersionCase& c = GetParam();
    machine.version.platformId = c.platformId;
    machine.version.major = c.major;
    machine.version.minor = c.minor;
    machine.version.productType = c.productType;
    machine.version.nativeArchitecture = c.nativeArchitecture;

    EXPECT_EQ(CWinVersion().GetVersionCode(), c.expected);
}

constexpr WORD kAmd64 = PROCESSOR_ARCHITECTURE_AMD64;
constexpr WORD kIa64 = PROCESSOR_ARCHITECTURE_IA64;

INSTANTIATE_TEST_SUITE_P(
    Versions, ClassificationTest,
    ::testing::Values(
        VersionCase{"Win32s", 0, 3, 10, 0, 0, CWinVersion::OSVER_WIN32S},
        VersionCase{"Windows 95", 1, 4, 0, 0, 0, CWinVersion::OSVER_WIN95},
        VersionCase{"Windows 98", 1, 4, 10, 0, 0, CWinVersion::OSVER_WIN98},
        VersionCase{"Windows 98 SE", 1, 4, 89, 0, 0, CWinVersion::OSVER_WIN98},
        VersionCase{"Windows Me", 1, 4, 90, 0, 0, CWinVersion::OSVER_WINME},
        VersionCase{"NT 4", 2, 4, 0, kServer, 0, CWinVersion::OSVER_WINNT4},
        VersionCase{"2000", 2, 5, 0, kWorkstation, 0, CWinVersion::OSVER_WIN2000},
        VersionCase{"XP", 2, 5, 1, kWorkstation, 0, CWinVersion::OSVER_WINXP},
        VersionCase{"XP x64", 2, 5, 2, kWorkstation, kAmd64, CWinVersion::OSVER_WINXP},
        VersionCase{"XP on Itanium", 2, 5, 2, kWorkstation, kIa64, CWinVersion::OSVER_SERVER2003},
        VersionCase{"Server 2003 x64", 2, 5, 2, kServer, kAmd64, CWinVersion::OSVER_SERVER2003},
        VersionCase{"Vista", 2, 6, 0, kWorkstation, kAmd64, CWinVersion::OSVER_VISTA},
        VersionCase{"Server 2008", 2, 6, 0, kServer, kAmd64, CWinVersion::OSVER_SERVER2008},
        VersionCase{"7", 2, 6, 1, kWorkstation, kAmd64, CWinVersion::OSVER_WIN7},
        VersionCase{"Server 2008 R2", 2, 6, 1, kServer, kAmd64, CWinVersion::OSVER_SERVER2008R2},
        VersionCase{"8 or later as 6.2", 2, 6, 2, kWorkstation, kAmd64, CWinVersion::OSVER_WIN7},
        VersionCase{"Server 2012 R2", 2, 6, 3, kServer, kAmd64, CWinVersion::OSVER_SERVER2008R2},
        VersionCase{"10", 2, 10, 0, kWorkstation, kAmd64, CWinVersion::OSVER_FUTURE},
        VersionCase{"7.0", 2, 7, 0, kWorkstation, kAmd64, CWinVersion::OSVER_FUTURE},
        VersionCase{"unknown platform", 3, 10, 0, kWorkstation, kAmd64,
                    CWinVersion::OSVER_UNKNOWN}));

class WinVersionFactsTest : public ::testing::Test {
protected:
    Machine machine;
    ScopedPlatform guard{machine};
};

TEST_F(WinVersionFactsTest, FailedQueriesLeaveTheCodeUnknown) {
    machine.version.basicQueryFails = true;
    EXPECT_EQ(CWinVersion().GetVersionCode(), CWinVersion::OSVER_UNKNOWN);

    machine.version.basicQueryFails = false;
    machine.version.extendedQueryFails = true;
    EXPECT_EQ(CWinVersion().GetVersionCode(), CWinVersion::OSVER_UNKNOWN);
}

TEST_F(WinVersionFactsTest, ArchitectureComesFromTheNativeQueryOnly) {
    machine.version.nativeArchitecture = PROCESSOR_ARCHITECTURE_AMD64;
    EXPECT_EQ(CWinVersion().GetArchitecture(), CWinVersion::ARCH_64BIT);

    machine.version.hasGetNativeSystemInfo = false;
    EXPECT_EQ(CWinVersion().GetArchitecture(), CWinVersion::ARCH_UNKNOWN);
}

TEST_F(WinVersionFactsTest, ProductTypeIsAskedFromVistaToSeven) {
    machine.version.major = 6;
    machine.version.minor = 0;
    machine.version.productType = VER_NT_SERVER;
    machine.version.productInfo = 0x07; // PRODUCT_STANDARD_SERVER
    EXPECT_EQ(CWinVersion().GetProductType(), 0x07u);

    machine.version.major = 5;
    machine.version.minor = 1;
    EXPECT_EQ(CWinVersion().GetProductType(), 0u);
}

} // namespace
