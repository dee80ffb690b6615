#pragma once
// Owning wrappers for the window-side and security handles the program takes through
// the platform: each gives its handle back on every way out of its scope.

#include "platform/Platform.h"

// A paint context: BeginPaint on construction, EndPaint on destruction.
class CPaintDC {
public:
    explicit CPaintDC(HWND hWnd);
    ~CPaintDC() {
        if (m_hDC != nullptr) {
            platform().EndPaint(m_hWnd, &m_ps);
        }
    }
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;

    HDC GetSafeHdc() const { return m_hDC; }

private:
    HWND m_hWnd;
    PAINTSTRUCT m_ps{};
    HDC m_hDC = nullptr;
};

inline CPaintDC::CPaintDC(HWND hWnd) : m_hWnd(hWnd) {
    m_hDC = platform().BeginPaint(m_hWnd, &m_ps);
}

// A SID from AllocateAndInitializeSid, freed with FreeSid.
class CScopedSid {
public:
    CScopedSid() = default;
    ~CScopedSid() { Free(); }
    CScopedSid(const CScopedSid&) = delete;
    CScopedSid& operator=(const CScopedSid&) = delete;

    PSID* Receive() {
        Free();
        return &m_pSid;
    }
    PSID Get() const { return m_pSid; }

private:
    void Free() {
        if (m_pSid != nullptr) {
            platform().FreeSid(m_pSid);
            m_pSid = nullptr;
        }
    }

    PSID m_pSid = nullptr;
};

// A handle to a named mutex that this process never owns. Destruction calls
// ReleaseMutex (which changes nothing, since the mutex was never owned) and leaves the
// handle open on purpose: the name must stay taken until the process ends, and the
// system closes the handle then.
class CMutexHandle {
public:
    CMutexHandle() = default;
    ~CMutexHandle() {
        if (m_hMutex != nullptr) {
            platform().ReleaseMutex(m_hMutex);
        }
    }
    CMutexHandle(const CMutexHandle&) = delete;
    CMutexHandle& operator=(const CMutexHandle&) = delete;

    // Takes the handle CreateMutexW returned (null when creation failed).
    void Attach(HANDLE hMutex) { m_hMutex = hMutex; }
    HANDLE Get() const { return m_hMutex; }
    bool IsValid() const { return m_hMutex != nullptr; }

private:
    HANDLE m_hMutex = nullptr;
};
