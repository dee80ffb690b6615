#include "registry/Reg.h"

#include "common/ScopedWin.h"

#include <cstring>

namespace {

// The handle is taken over only after a successful call, so a failed open or create
// never leaves anything to close, whatever the call wrote into its handle argument.
bool OpenForQuery(HKEY hRoot, const wchar16* pszSubKey, CScopedRegKey& key) {
    HKEY hKey = nullptr;
    if (RegOpenKeyExW(hRoot, AsWide(pszSubKey), 0, KEY_QUERY_VALUE, &hKey) != ERROR_SUCCESS) {
        return false;
    }
    key.Attach(hKey);
    return true;
}

bool CreateOrOpen(HKEY hRoot, const wchar16* pszSubKey, REGSAM access, CScopedRegKey& key,
                  DWORD* pdwDisposition = nullptr) {
    HKEY hKey = nullptr;
    DWORD dwDisposition = 0;
    if (RegCreateKeyExW(hRoot, AsWide(pszSubKey), 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                        nullptr, &hKey, &dwDisposition) != ERROR_SUCCESS) {
        return false;
    }
    key.Attach(hKey);
    if (pdwDisposition != nullptr) {
        *pdwDisposition = dwDisposition;
    }
    return true;
}

bool IsStringType(DWORD dwType) {
    return dwType == REG_SZ || dwType == REG_EXPAND_SZ || dwType == REG_MULTI_SZ;
}

BOOL ToBool(bool value) {
    return value ? TRUE : FALSE;
}

} // namespace

CReg::~CReg() = default;

BOOL CReg::ReadString(HKEY hRoot, const wchar16* pszSubKey, const wchar16* pszValueName,
                      wchar16* pszData, DWORD* pcbData) const {
    CScopedRegKey key;
    if (!OpenForQuery(hRoot, pszSubKey, key)) {
        return FALSE;
    }
    DWORD dwType = REG_SZ;
    LSTATUS status = RegQueryValueExW(key.Get(), AsWide(pszValueName), nullptr, &dwType,
                                      reinterpret_cast<BYTE*>(pszData), pcbData);
    return ToBool(status == ERROR_SUCCESS && IsStringType(dwType));
}

BOOL CReg::WriteString(HKEY hRoot, const wchar16* pszSubKey, const wchar16* pszValueName,
                       const wchar16* pszData, DWORD cbData) const {
    CScopedRegKey key;
    if (!CreateOrOpen(hRoot, pszSubKey, KEY_ALL_ACCESS, key)) {
        return FALSE;
    }
    LSTATUS status = RegSetValueExW(key.Get(), AsWide(pszValueName), 0, REG_SZ,
                                    reinterpret_cast<const BYTE*>(pszData), cbData);
    return ToBool(status == ERROR_SUCCESS);
}

BOOL CReg::ReadDword(HKEY hRoot, const wchar16* pszSubKey, const wchar16* pszValueName,
                     DWORD* pdwValue) const {
    CScopedRegKey key;
    if (!OpenForQuery(hRoot, pszSubKey, key)) {
        return FALSE;
    }
    // Zero-filled so that a REG_DWORD value shorter than 4 bytes reads as zero-extended.
    BYTE abScratch[kScratchBytes] = {};
    DWORD cbScratch = kScratchBytes;
    DWORD dwType = REG_DWORD;
    LSTATUS status =
        RegQueryValueExW(key.Get(), AsWide(pszValueName), nullptr, &dwType, abScratch, &cbScratch);
    if (status != ERROR_SUCCESS || dwType != REG_DWORD) {
        return FALSE;
    }
    std::memcpy(pdwValue, abScratch, sizeof(DWORD));
    return TRUE;
}

BOOL CReg::WriteDword(HKEY hRoot, const wchar16* pszSubKey, const wchar16* pszValueName,
                      DWORD dwValue) const {
    CScopedRegKey key;
    // An account may be allowed to write a key without holding full access to it.
    if (!CreateOrOpen(hRoot, pszSubKey, KEY_ALL_ACCESS, key) &&
        !CreateOrOpen(hRoot, pszSubKey, KEY_WRITE, key)) {
        return FALSE;
    }
    LSTATUS status = RegSetValueExW(key.Get(), AsWide(pszValueName), 0, REG_DWORD,
                                    reinterpret_cast<const BYTE*>(&dwValue), sizeof(dwValue));
    return ToBool(status == ERROR_SUCCESS);
}

BOOL CReg::CreateKey(HKEY hRoot, const wchar16* pszSubKey) const {
    CScopedRegKey key;
    DWORD dwDisposition = 0;
    if (!CreateOrOpen(hRoot, pszSubKey, KEY_ALL_ACCESS, key, &dwDisposition)) {
        return FALSE;
    }
    if (key.Close() != ERROR_SUCCESS) {
        return FALSE;
    }
    return ToBool(dwDisposition != REG_OPENED_EXISTING_KEY);
}

BOOL CReg::DeleteKey(HKEY hRoot, const wchar16* pszSubKey) const {
    return ToBool(RegDeleteKeyW(hRoot, AsWide(pszSubKey)) == ERROR_SUCCESS);
}

BOOL CReg::DeleteValue(HKEY hRoot, const wchar16* pszSubKey, const wchar16* pszValueName) const {
    CScopedRegKey key;
    if (!CreateOrOpen(hRoot, pszSubKey, KEY_ALL_ACCESS, key)) {
        return FALSE;
    }
    return ToBool(RegDeleteValueW(key.Get(), AsWide(pszValueName)) == ERROR_SUCCESS);
}

BOOL CReg::ReadBinary(HKEY hRoot, const wchar16* pszSubKey, const wchar16* pszValueName,
                      BYTE* pData, DWORD* pcbData) const {
    CScopedRegKey key;
    if (!OpenForQuery(hRoot, pszSubKey, key)) {
        return FALSE;
    }
    DWORD dwType = REG_BINARY;
    LSTATUS status =
        RegQueryValueExW(key.Get(), AsWide(pszValueName), nullptr, &dwType, pData, pcbData);
    return ToBool(status == ERROR_SUCCESS);
}

BOOL CReg::WriteBinary(HKEY hRoot, const wchar16* pszSubKey, const wchar16* pszValueName,
                       const BYTE* pData, DWORD cbData) const {
    if (cbData > kScratchBytes) {
        return FALSE;
    }
    CScopedRegKey key;
    if (!CreateOrOpen(hRoot, pszSubKey, KEY_ALL_ACCESS, key)) {
        return FALSE;
    }
    BYTE abScratch[kScratchBytes] = {};
    if (cbData > 0) {
        std::memcpy(abScratch, pData, cbData);
    }
    LSTATUS status =
        RegSetValueExW(key.Get(), AsWide(pszValueName), 0, REG_BINARY, abScratch, cbData);
    return ToBool(status == ERROR_SUCCESS);
}

BOOL CReg::QueryValueSize(HKEY hRoot, const wchar16* pszSubKey, const wchar16* pszValueName,
                          DWORD* pcbSize) const {
    CScopedRegKey key;
    if (!OpenForQuery(hRoot, pszSubKey, key)) {
        return FALSE;
    }
    DWORD dwType = REG_BINARY;
    DWORD cbSize = 0;
    LSTATUS status =
        RegQueryValueExW(key.Get(), AsWide(pszValueName), nullptr, &dwType, nullptr, &cbSize);
    if (status != ERROR_SUCCESS) {
        return FALSE;
    }
    *pcbSize = cbSize;
    return TRUE;
}

BOOL CReg::KeyExists(HKEY hRoot, const wchar16* pszSubKey) const {
    CScopedRegKey key;
    return ToBool(OpenForQuery(hRoot, pszSubKey, key));
}

BOOL CReg::ValueExists(HKEY hRoot, const wchar16* pszSubKey, const wchar16* pszValueName) const {
    CScopedRegKey key;
    if (!OpenForQuery(hRoot, pszSubKey, key)) {
        return FALSE;
    }
    return ToBool(RegQueryValueExW(key.Get(), AsWide(pszValueName), nullptr, nullptr, nullptr,
                                   nullptr) == ERROR_SUCCESS);
}
