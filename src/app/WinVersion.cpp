#include "app/WinVersion.h"

#include "platform/Platform.h"
#include "platform/ScopedHandles.h"

#include <cstring>

namespace {

using PGNSI = void(WINAPI*)(SYSTEM_INFO*);
using PGPI = BOOL(WINAPI*)(DWORD, DWORD, DWORD, DWORD, DWORD*);

constexpr wchar16 kCommonKey[] = u"SOFTWARE\\Korvane\\Common";
constexpr wchar16 kDisableWarningValue[] = u"DisableFutureOSWarning";
// The switch is read in the 64-bit view, whatever the process's own width.
constexpr REGSAM kSwitchAccess = KEY_WOW64_64KEY | KEY_QUERY_VALUE;
constexpr DWORD kSwitchBufferBytes = 260;
// Yes/No with the warning icon, No the default button, above all other windows.
constexpr UINT kQuestionStyle = MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2 | MB_TOPMOST;

// Functions that only newer systems export are looked up by name. The detour through
// void(*)() is the one function-pointer cast the compiler accepts without complaint.
template <typename Function> Function LookUp(HMODULE hModule, const char* pszName) {
    FARPROC pfn = platform().GetProcAddress(hModule, pszName);
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(pfn));
}

WORD ArchitectureClass(WORD wProcessorArchitecture) {
    switch (wProcessorArchitecture) {
    case PROCESSOR_ARCHITECTURE_INTEL:
        return CWinVersion::ARCH_X86;
    case PROCESSOR_ARCHITECTURE_IA64:
    case PROCESSOR_ARCHITECTURE_AMD64:
    case PROCESSOR_ARCHITECTURE_IA32_ON_WIN64:
        return CWinVersion::ARCH_64BIT;
    default:
        return CWinVersion::ARCH_UNKNOWN;
    }
}

short ClassifyWindows9x(DWORD dwMinor) {
    if (dwMinor >= 90) {
        return CWinVersion::OSVER_WINME;
    }
    return dwMinor >= 10 ? CWinVersion::OSVER_WIN98 : CWinVersion::OSVER_WIN95;
}

bool HasProductInfo(short nVersion) {
    return nVersion == CWinVersion::OSVER_VISTA || nVersion == CWinVersion::OSVER_SERVER2008 ||
           nVersion == CWinVersion::OSVER_WIN7 || nVersion == CWinVersion::OSVER_SERVER2008R2;
}

} // namespace

CWinVersion::CWinVersion()
    : m_si{}, m_osvi{}, m_nVersion(OSVER_UNKNOWN), m_nArchitecture(ARCH_UNKNOWN), m_dwFeatures(0),
      m_wServicePackMajor(0), m_szServicePack{}, m_dwProductType(0) {
    m_osvi.dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
    HMODULE hKernel32 = platform().GetModuleHandleW(u"kernel32.dll");
    if (hKernel32 != nullptr) {
        ReadNativeSystemInfo(hKernel32);
    }
    ReadFeatures();
    if (!platform().GetVersionExW(&m_osvi)) {
        m_nVersion = OSVER_UNKNOWN;
        return;
    }
    Classify();
    m_wServicePackMajor = m_osvi.wServicePackMajor;
    StrCopy(m_szServicePack, kServicePackCapacity,
            reinterpret_cast<const wchar16*>(m_osvi.szCSDVersion));
    if (hKernel32 != nullptr && HasProductInfo(m_nVersion)) {
        ReadProductType(hKernel32);
    }
}

CWinVersion::~CWinVersion() = default;

// No fallback to the non-native query: without it the architecture stays unknown.
void CWinVersion::ReadNativeSystemInfo(HMODULE hKernel32) {
    PGNSI pfnGetNativeSystemInfo = LookUp<PGNSI>(hKernel32, "GetNativeSystemInfo");
    if (pfnGetNativeSystemInfo == nullptr) {
        return;
    }
    pfnGetNativeSystemInfo(&m_si);
    m_nArchitecture = ArchitectureClass(m_si.wProcessorArchitecture);
}

void CWinVersion::ReadFeatures() {
    if (platform().GetSystemMetrics(SM_TABLETPC) != 0) {
        m_dwFeatures |= OSFEATURE_TABLETPC;
    }
    if (platform().GetSystemMetrics(SM_MEDIACENTER) != 0) {
        m_dwFeatures |= OSFEATURE_MEDIACENTER;
    }
    if (platform().GetSystemMetrics(SM_STARTER) != 0) {
        m_dwFeatures |= OSFEATURE_STARTER;
    }
}

void CWinVersion::Classify() {
    switch (m_osvi.dwPlatformId) {
    case VER_PLATFORM_WIN32s:
        m_nVersion = OSVER_WIN32S;
        break;
    case VER_PLATFORM_WIN32_WINDOWS:
        m_nVersion = ClassifyWindows9x(m_osvi.dwMinorVersion);
        break;
    case VER_PLATFORM_WIN32_NT:
        m_nVersion = ClassifyNt();
        break;
    default:
        m_nVersion = OSVER_UNKNOWN;
        break;
    }
}

// From NT 5 on, the extended record supplies the product-type byte the workstation
// tests use; before it only the basic record is read, so that byte stays 0.
short CWinVersion::ClassifyNt() {
    if (m_osvi.dwMajorVersion >= 5) {
        m_osvi = OSVERSIONINFOEXW{};
        m_osvi.dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXW);
        if (!platform().GetVersionExW(&m_osvi)) {
            return OSVER_UNKNOWN;
        }
    }
    const DWORD dwMajor = m_osvi.dwMajorVersion;
    const DWORD dwMinor = m_osvi.dwMinorVersion;
    if (dwMajor > 6) {
        return OSVER_FUTURE;
    }
    if (dwMajor == 6) {
        if (dwMinor >= 1) {
            return IsWorkstation() ? OSVER_WIN7 : OSVER_SERVER2008R2;
        }
        return IsWorkstation() ? OSVER_VISTA : OSVER_SERVER2008;
    }
    if (dwMajor < 5) {
        return OSVER_WINNT4;
    }
    if (dwMinor >= 2) {
        // 64-bit Windows XP reports 5.2, like Server 2003.
        bool bXp64 = IsWorkstation() && m_si.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64;
        return bXp64 ? OSVER_WINXP : OSVER_SERVER2003;
    }
    return dwMinor == 1 ? OSVER_WINXP : OSVER_WIN2000;
}

void CWinVersion::ReadProductType(HMODULE hKernel32) {
    PGPI pfnGetProductInfo = LookUp<PGPI>(hKernel32, "GetProductInfo");
    if (pfnGetProductInfo == nullptr) {
        return;
    }
    DWORD dwProductType = 0;
    if (pfnGetProductInfo(m_osvi.dwMajorVersion, m_osvi.dwMinorVersion, m_osvi.wServicePackMajor,
                          m_osvi.wServicePackMinor, &dwProductType)) {
        m_dwProductType = dwProductType;
    }
}

BOOL CWinVersion::CheckFutureOSWarning(HWND hOwner, const wchar16* pszText,
                                       const wchar16* pszCaption) const {
    if (m_nVersion != OSVER_FUTURE) {
        return TRUE;
    }
    if (IsFutureWarningDisabled()) {
        return TRUE;
    }
    if (pszText == nullptr || pszCaption == nullptr) {
        return TRUE;
    }
    // Any answer but No, including a box that could not be shown, lets start-up go on.
    int nAnswer = platform().MessageBoxW(hOwner, pszText, pszCaption, kQuestionStyle);
    return nAnswer == IDNO ? FALSE : TRUE;
}

// Exactly 1 stored as REG_DWORD suppresses the question; anything else does not.
bool CWinVersion::IsFutureWarningDisabled() {
    HKEY hKey = nullptr;
    if (platform().RegOpenKeyExW(HKEY_LOCAL_MACHINE, kCommonKey, 0, kSwitchAccess, &hKey) !=
        ERROR_SUCCESS) {
        return false;
    }
    CScopedRegKey key;
    *key.Receive() = hKey;
    BYTE abData[kSwitchBufferBytes] = {};
    DWORD cbData = kSwitchBufferBytes;
    DWORD dwType = REG_NONE;
    LSTATUS status =
        platform().RegQueryValueExW(key.Get(), kDisableWarningValue, &dwType, abData, &cbData);
    key.Close();
    if (status != ERROR_SUCCESS || dwType != REG_DWORD) {
        return false;
    }
    DWORD dwValue = 0;
    std::memcpy(&dwValue, abData, sizeof(dwValue));
    return dwValue == 1;
}
