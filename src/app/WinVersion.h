#pragma once
// CWinVersion: facts about the running Windows, gathered at construction and reduced to
// one classification code; and the gate that asks before running on a newer NT.

#include "platform/WinTypes.h"

class CWinVersion {
public:
    // Classification codes.
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

    // Processor-architecture classes.
    static constexpr WORD ARCH_UNKNOWN = 0;
    static constexpr WORD ARCH_X86 = 1;
    static constexpr WORD ARCH_64BIT = 2;

    // Feature bits.
    static constexpr DWORD OSFEATURE_TABLETPC = 1;
    static constexpr DWORD OSFEATURE_MEDIACENTER = 2;
    static constexpr DWORD OSFEATURE_STARTER = 4;

    // Gathers the facts and classifies; never fails (a failed query leaves OSVER_UNKNOWN).
    CWinVersion();
    virtual ~CWinVersion();

    // Non-zero: start-up may go on. On a version newer than the table knows, asks the
    // user (unless the machine-wide switch says not to); zero when the answer is No.
    BOOL CheckFutureOSWarning(HWND hOwner, const wchar16* pszText, const wchar16* pszCaption) const;

    short GetVersionCode() const { return m_nVersion; }
    WORD GetArchitecture() const { return m_nArchitecture; }
    DWORD GetFeatures() const { return m_dwFeatures; }
    WORD GetServicePackMajor() const { return m_wServicePackMajor; }
    const wchar16* GetServicePack() const { return m_szServicePack; }
    DWORD GetProductType() const { return m_dwProductType; }

    static constexpr size_t kServicePackCapacity = 128;

private:
    void ReadNativeSystemInfo(HMODULE hKernel32);
    void ReadFeatures();
    void Classify();
    short ClassifyNt();
    void ReadProductType(HMODULE hKernel32);
    bool IsWorkstation() const { return m_osvi.wProductType == VER_NT_WORKSTATION; }
    static bool IsFutureWarningDisabled();

    SYSTEM_INFO m_si;
    OSVERSIONINFOEXW m_osvi;
    short m_nVersion;
    WORD m_nArchitecture;
    DWORD m_dwFeatures;
    WORD m_wServicePackMajor;
    wchar16 m_szServicePack[kServicePackCapacity];
    DWORD m_dwProductType;
};
