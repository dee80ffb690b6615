#include "app/WinVersion.h"

#include "common/ScopedWin.h"
#include "common/WideString.h"

namespace {

using PGNSI = void(WINAPI*)(SYSTEM_INFO*);
using PGPI = BOOL(WINAPI*)(DWORD, DWORD, DWORD, DWORD, DWORD*);

// The switch is read in the 64-bit view, whatever the process's own width.
constexpr REGSAM kSwitchAccess = KEY_WOW64_64KEY | KEY_QUERY_VALUE;
constexpr DWORD kSwitchBufferBytes = 260;
// Yes/No with the warning icon, No the default button, above all other windows.
constexpr UINT kQuestionStyle = MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2 | MB_TOPMOST;

} // namespace

CWinVersion::CWinVersion()
    : m_si{}, m_osvi{}, m_nVersion(OSVER_UNKNOWN), m_nArchitecture(ARCH_UNKNOWN), m_dwFeatures(0),
      m_wServicePackMajor(0), m_szServicePack{}, m_dwProductType(0) {
    HMODULE hKernel32 = GetModuleHandleW(L"kernel32.dll");
    if (hKernel32 != nullptr) {
        ReadNativeSystemInfo(hKernel32);
    }
    ReadFeatures();
    m_osvi.dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
    if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&m_osvi))) {
        return;
    }
    if (ReadVersion()) {
        m_nVersion =
            ClassifyVersion({m_osvi.dwPlatformId, m_osvi.dwMajorVersion, m_osvi.dwMinorVersion,
                             m_osvi.wProductType, m_si.wProcessorArchitecture});
    }
    m_wServicePackMajor = m_osvi.wServicePackMajor;
    StrCopy(AsText(m_szServicePack), kServicePackCapacity, AsText(m_osvi.szCSDVersion));
    if (hKernel32 != nullptr && HasProductType(m_nVersion)) {
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
    if (GetSystemMetrics(SM_TABLETPC) != 0) {
        m_dwFeatures |= OSFEATURE_TABLETPC;
    }
    if (GetSystemMetrics(SM_MEDIACENTER) != 0) {
        m_dwFeatures |= OSFEATURE_MEDIACENTER;
    }
    if (GetSystemMetrics(SM_STARTER) != 0) {
        m_dwFeatures |= OSFEATURE_STARTER;
    }
}

// Reads the extended record where the classification needs its product-type byte; before
// NT 5 only the basic record is read, so that byte stays 0. False when that query fails.
bool CWinVersion::ReadVersion() {
    if (!NeedsExtendedRecord(m_osvi.dwPlatformId, m_osvi.dwMajorVersion)) {
        return true;
    }
    m_osvi = OSVERSIONINFOEXW{};
    m_osvi.dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXW);
    return GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&m_osvi)) != FALSE;
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

BOOL CWinVersion::CheckFutureOSWarning(HWND hOwner, const wchar_t* pszText,
                                       const wchar_t* pszCaption) const {
    if (!IsNewerThanKnown(m_nVersion) || IsFutureWarningDisabled() || pszText == nullptr ||
        pszCaption == nullptr) {
        return TRUE;
    }
    return AnswerLetsStartupGoOn(MessageBoxW(hOwner, pszText, pszCaption, kQuestionStyle));
}

bool CWinVersion::IsFutureWarningDisabled() {
    HKEY hKey = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Korvane\\Common", 0, kSwitchAccess, &hKey) !=
        ERROR_SUCCESS) {
        return false;
    }
    CScopedRegKey key;
    key.Attach(hKey);
    BYTE abData[kSwitchBufferBytes] = {};
    DWORD cbData = kSwitchBufferBytes;
    DWORD dwType = REG_NONE;
    LSTATUS status =
        RegQueryValueExW(key.Get(), L"DisableFutureOSWarning", nullptr, &dwType, abData, &cbData);
    return status == ERROR_SUCCESS && IsWarningSwitchOn(dwType, abData);
}
