#pragma once
// CWinVersion: facts about the running Windows, gathered at construction and reduced to
// one classification code (VersionRules.h); and the gate that asks before running on a
// newer NT.

#include "app/VersionRules.h"

#include <windows.h>

class CWinVersion : public CWinVersionCodes {
public:
    // Feature bits.
    static constexpr DWORD OSFEATURE_TABLETPC = 1;
    static constexpr DWORD OSFEATURE_MEDIACENTER = 2;
    static constexpr DWORD OSFEATURE_STARTER = 4;

    // Gathers the facts and classifies; never fails (a failed query leaves OSVER_UNKNOWN).
    CWinVersion();
    virtual ~CWinVersion();

    // Non-zero: start-up may go on. On a version newer than the table knows, asks the
    // user (unless the machine-wide switch says not to); zero when the answer is No.
    BOOL CheckFutureOSWarning(HWND hOwner, const wchar_t* pszText, const wchar_t* pszCaption) const;
    // Whether DisableFutureOSWarning, read in the 64-bit view, suppresses the question.
    static bool IsFutureWarningDisabled();

    short GetVersionCode() const { return m_nVersion; }
    WORD GetArchitecture() const { return m_nArchitecture; }
    DWORD GetFeatures() const { return m_dwFeatures; }
    DWORD GetProductType() const { return m_dwProductType; }

    static constexpr size_t kServicePackCapacity = 128;

private:
    void ReadNativeSystemInfo(HMODULE hKernel32);
    void ReadFeatures();
    bool ReadVersion();
    void ReadProductType(HMODULE hKernel32);

    SYSTEM_INFO m_si;
    OSVERSIONINFOEXW m_osvi;
    short m_nVersion;
    WORD m_nArchitecture;
    DWORD m_dwFeatures;
    WORD m_wServicePackMajor;
    wchar_t m_szServicePack[kServicePackCapacity];
    DWORD m_dwProductType;
};
