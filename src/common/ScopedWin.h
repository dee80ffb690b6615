#pragma once
// The program's handles, each owned by one small wrapper that gives it back on every way
// out of its scope; and the casts between the portable code's char16_t text and the
// wchar_t that Windows declares (both are UTF-16 units on Windows).

#include <windows.h>

#include <setupapi.h>
#include <wtsapi32.h>

// A function that only newer systems export, looked up by name in a loaded module; null
// where the system lacks it. The detour through void(*)() is the one function-pointer cast
// the compiler accepts without complaint.
template <typename Function> Function LookUp(HMODULE hModule, const char* pszName) {
    FARPROC pfn = hModule != nullptr ? GetProcAddress(hModule, pszName) : nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(pfn));
}

inline wchar_t* AsWide(char16_t* text) {
    return reinterpret_cast<wchar_t*>(text);
}
inline const wchar_t* AsWide(const char16_t* text) {
    return reinterpret_cast<const wchar_t*>(text);
}
inline char16_t* AsText(wchar_t* text) {
    return reinterpret_cast<char16_t*>(text);
}
inline const char16_t* AsText(const wchar_t* text) {
    return reinterpret_cast<const char16_t*>(text);
}

class CScopedRegKey {
public:
    CScopedRegKey() = default;
    ~CScopedRegKey() { Close(); }
    CScopedRegKey(const CScopedRegKey&) = delete;
    CScopedRegKey& operator=(const CScopedRegKey&) = delete;

    // Takes a handle that an open or create returned with success.
    void Attach(HKEY hKey) {
        Close();
        m_hKey = hKey;
    }
    HKEY Get() const { return m_hKey; }

    // Closes now and reports the close's own status (ERROR_SUCCESS when nothing was open).
    LSTATUS Close() {
        LSTATUS status = ERROR_SUCCESS;
        if (m_hKey != nullptr) {
            status = RegCloseKey(m_hKey);
            m_hKey = nullptr;
        }
        return status;
    }

private:
    HKEY m_hKey = nullptr;
};

class CScopedDevInfoSet {
public:
    explicit CScopedDevInfoSet(HDEVINFO hSet) : m_hSet(hSet) {}
    ~CScopedDevInfoSet() {
        if (IsValid()) {
            SetupDiDestroyDeviceInfoList(m_hSet);
        }
    }
    CScopedDevInfoSet(const CScopedDevInfoSet&) = delete;
    CScopedDevInfoSet& operator=(const CScopedDevInfoSet&) = delete;

    HDEVINFO Get() const { return m_hSet; }
    // SetupDiGetClassDevsW reports failure with INVALID_HANDLE_VALUE, not null.
    bool IsValid() const { return m_hSet != INVALID_HANDLE_VALUE && m_hSet != nullptr; }

private:
    HDEVINFO m_hSet;
};

// A SID from AllocateAndInitializeSid, freed with FreeSid.
class CScopedSid {
public:
    CScopedSid() = default;
    ~CScopedSid() {
        if (m_pSid != nullptr) {
            FreeSid(m_pSid);
        }
    }
    CScopedSid(const CScopedSid&) = delete;
    CScopedSid& operator=(const CScopedSid&) = delete;

    PSID* Receive() { return &m_pSid; }
    PSID Get() const { return m_pSid; }

private:
    PSID m_pSid = nullptr;
};

// A kernel object handle, closed with CloseHandle.
class CScopedHandle {
public:
    explicit CScopedHandle(HANDLE hObject = nullptr) : m_hObject(hObject) {}
    ~CScopedHandle() {
        if (m_hObject != nullptr && m_hObject != INVALID_HANDLE_VALUE) {
            CloseHandle(m_hObject);
        }
    }
    CScopedHandle(const CScopedHandle&) = delete;
    CScopedHandle& operator=(const CScopedHandle&) = delete;

    HANDLE Get() const { return m_hObject; }

private:
    HANDLE m_hObject;
};

// A paint context: BeginPaint on construction, EndPaint on destruction.
class CPaintDC {
public:
    explicit CPaintDC(HWND hWnd) : m_hWnd(hWnd), m_hDC(BeginPaint(hWnd, &m_ps)) {}
    ~CPaintDC() {
        if (m_hDC != nullptr) {
            EndPaint(m_hWnd, &m_ps);
        }
    }
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;

    HDC GetSafeHdc() const { return m_hDC; }

private:
    HWND m_hWnd;
    PAINTSTRUCT m_ps{};
    HDC m_hDC;
};

// Text a system call allocated and hands out through an output pointer, given back with
// the function the call names: LocalFree (ConvertSidToStringSidW) or WTSFreeMemory
// (WTSQuerySessionInformationW).
template <typename Free> class CScopedSystemText {
public:
    CScopedSystemText() = default;
    ~CScopedSystemText() {
        if (m_pszText != nullptr) {
            Free()(m_pszText);
        }
    }
    CScopedSystemText(const CScopedSystemText&) = delete;
    CScopedSystemText& operator=(const CScopedSystemText&) = delete;

    wchar_t** Receive() { return &m_pszText; }
    const wchar_t* Get() const { return m_pszText; }

private:
    wchar_t* m_pszText = nullptr;
};
struct CLocalFree {
    void operator()(void* p) const { LocalFree(p); }
};
struct CWtsFree {
    void operator()(void* p) const { WTSFreeMemory(p); }
};
using CScopedLocalText = CScopedSystemText<CLocalFree>;
using CScopedSessionText = CScopedSystemText<CWtsFree>;
