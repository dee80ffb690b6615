#pragma once
// Owning wrappers for the handles the program opens through the platform, so that
// every handle is closed on every way out of the function that opened it.

#include "platform/Platform.h"

class CScopedRegKey {
public:
    CScopedRegKey() = default;
    ~CScopedRegKey() { Close(); }
    CScopedRegKey(const CScopedRegKey&) = delete;
    CScopedRegKey& operator=(const CScopedRegKey&) = delete;

    HKEY* Receive() {
        Close();
        return &m_hKey;
    }
    HKEY Get() const { return m_hKey; }
    bool IsValid() const { return m_hKey != nullptr; }

    // Closes now and reports the close's own status (ERROR_SUCCESS when nothing was open).
    LSTATUS Close() {
        LSTATUS status = ERROR_SUCCESS;
        if (m_hKey != nullptr) {
            status = platform().RegCloseKey(m_hKey);
            m_hKey = nullptr;
        }
        return status;
    }

private:
    HKEY m_hKey = nullptr;
};

class CScopedDevInfoSet {
public:
    explicit CScopedDevInfoSet(HDEVINFO set) : m_hSet(set) {}
    ~CScopedDevInfoSet() {
        if (IsValid()) {
            platform().SetupDiDestroyDeviceInfoList(m_hSet);
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
