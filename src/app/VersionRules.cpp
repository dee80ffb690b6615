#include "app/VersionRules.h"

#include <cstring>

namespace {

// The values windows.h gives these names.
constexpr uint32_t kPlatformWin32s = 0;
constexpr uint32_t kPlatformWindows = 1;
constexpr uint32_t kPlatformNt = 2;
constexpr uint8_t kNtWorkstation = 1;
constexpr uint16_t kArchitectureIntel = 0;
constexpr uint16_t kArchitectureIa64 = 6;
constexpr uint16_t kArchitectureAmd64 = 9;
constexpr uint16_t kArchitectureIa32OnWin64 = 10;
constexpr uint32_t kRegDword = 4;
constexpr int kAnswerNo = 7;

using Codes = CWinVersionCodes;

short ClassifyWindows9x(uint32_t minor) {
    if (minor >= 90) {
        return Codes::OSVER_WINME;
    }
    return minor >= 10 ? Codes::OSVER_WIN98 : Codes::OSVER_WIN95;
}

short ClassifyNt(const OsVersionFacts& facts) {
    const bool bWorkstation = facts.productType == kNtWorkstation;
    if (facts.major > 6) {
        return Codes::OSVER_FUTURE;
    }
    if (facts.major == 6) {
        if (facts.minor >= 1) {
            return bWorkstation ? Codes::OSVER_WIN7 : Codes::OSVER_SERVER2008R2;
        }
        return bWorkstation ? Codes::OSVER_VISTA : Codes::OSVER_SERVER2008;
    }
    if (facts.major < 5) {
        return Codes::OSVER_WINNT4;
    }
    if (facts.minor >= 2) {
        // 64-bit Windows XP reports 5.2, like Server 2003.
        bool bXp64 = bWorkstation && facts.nativeArchitecture == kArchitectureAmd64;
        return bXp64 ? Codes::OSVER_WINXP : Codes::OSVER_SERVER2003;
    }
    return facts.minor == 1 ? Codes::OSVER_WINXP : Codes::OSVER_WIN2000;
}

} // namespace

short ClassifyVersion(const OsVersionFacts& facts) {
    switch (facts.platformId) {
    case kPlatformWin32s:
        return Codes::OSVER_WIN32S;
    case kPlatformWindows:
        return ClassifyWindows9x(facts.minor);
    case kPlatformNt:
        return ClassifyNt(facts);
    default:
        return Codes::OSVER_UNKNOWN;
    }
}

bool NeedsExtendedRecord(uint32_t platformId, uint32_t major) {
    return platformId == kPlatformNt && major >= 5;
}

uint16_t ArchitectureClass(uint16_t processorArchitecture) {
    switch (processorArchitecture) {
    case kArchitectureIntel:
        return Codes::ARCH_X86;
    case kArchitectureIa64:
    case kArchitectureAmd64:
    case kArchitectureIa32OnWin64:
        return Codes::ARCH_64BIT;
    default:
        return Codes::ARCH_UNKNOWN;
    }
}

bool HasProductType(short nVersion) {
    return nVersion == Codes::OSVER_VISTA || nVersion == Codes::OSVER_SERVER2008 ||
           nVersion == Codes::OSVER_WIN7 || nVersion == Codes::OSVER_SERVER2008R2;
}

bool IsNewerThanKnown(short nVersion) {
    return nVersion == Codes::OSVER_FUTURE;
}

bool IsWarningSwitchOn(uint32_t type, const uint8_t* pData) {
    if (type != kRegDword) {
        return false;
    }
    uint32_t value = 0;
    std::memcpy(&value, pData, sizeof(value));
    return value == 1;
}

bool AnswerLetsStartupGoOn(int nAnswer) {
    return nAnswer != kAnswerNo;
}
