#pragma once
// The Windows version classification and the unsupported-version question, on the plain
// facts a version query gives.

#include <cstdint>

// Classification codes and processor-architecture classes of CWinVersion.
struct CWinVersionCodes {
    static constexpr short OSVER_FUTURE = -1;
    static constexpr short OSVER_UNKNOWN = 0;
    static constexpr short OSVER_WIN32S = 1;
    static constexpr short OSVER_WIN95 = 2;
    static constexpr short OSVER_WIN98 = 3;
    static constexpr short OSVER_WINNT4 = 4;
    static constexpr short OSVER_WIN2000 = 5;
    static constexpr short OSVER_WINXP = 6;
    static constexpr short OSVER_WINME = 7;
    static constexpr short OSVER_VISTA = 8;
    static constexpr short OSVER_SERVER2008 = 9;
    static constexpr short OSVER_SERVER2003 = 10;
    static constexpr short OSVER_WIN7 = 11;
    static constexpr short OSVER_SERVER2008R2 = 12;

    static constexpr uint16_t ARCH_UNKNOWN = 0;
    static constexpr uint16_t ARCH_X86 = 1;
    static constexpr uint16_t ARCH_64BIT = 2;
};

// What the version record says. The product-type byte is 0 when only the basic record was
// read; the architecture is 0 (x86) when the native query is unavailable.
struct OsVersionFacts {
    uint32_t platformId;
    uint32_t major;
    uint32_t minor;
    uint8_t productType;
    uint16_t nativeArchitecture;
};

short ClassifyVersion(const OsVersionFacts& facts);
// From NT 5 on, the extended record supplies the product-type byte.
bool NeedsExtendedRecord(uint32_t platformId, uint32_t major);
uint16_t ArchitectureClass(uint16_t processorArchitecture);
// The codes for which the product type is asked.
bool HasProductType(short nVersion);

// Only a version newer than the classification knows brings the question.
bool IsNewerThanKnown(short nVersion);
// The machine-wide switch suppresses the question when it holds exactly 1 as REG_DWORD.
// pData: the value's first four bytes, zero where the value is shorter.
bool IsWarningSwitchOn(uint32_t type, const uint8_t* pData);
// Every answer but No, also a box that could not be shown, lets start-up go on.
bool AnswerLetsStartupGoOn(int nAnswer);
