#pragma once
// CReg: the program's one helper over the registry. Each operation opens (or creates)
// one key, performs one read, write, delete or size query, closes the key again and
// answers non-zero for success. Keys are opened in the process's default view.

#include "common/WideString.h"

#include <windows.h>

class CReg {
public:
    CReg() = default;
    virtual ~CReg();

    // The caller's byte size goes in as the buffer's capacity and comes back as the
    // system reports it. Succeeds for REG_SZ, REG_EXPAND_SZ and REG_MULTI_SZ only; the
    // buffer holds the stored bytes as they are (no NUL added, nothing expanded).
    BOOL ReadString(HKEY hRoot, const wchar16* pszSubKey, const wchar16* pszValueName,
                    wchar16* pszData, DWORD* pcbData) const;
    // Stores cbData bytes of pszData as REG_SZ; the caller decides whether the NUL is included.
    BOOL WriteString(HKEY hRoot, const wchar16* pszSubKey, const wchar16* pszValueName,
                     const wchar16* pszData, DWORD cbData) const;
    // Writes *pdwValue only on success.
    BOOL ReadDword(HKEY hRoot, const wchar16* pszSubKey, const wchar16* pszValueName,
                   DWORD* pdwValue) const;
    BOOL WriteDword(HKEY hRoot, const wchar16* pszSubKey, const wchar16* pszValueName,
                    DWORD dwValue) const;
    // Non-zero only when the key did not exist before.
    BOOL CreateKey(HKEY hRoot, const wchar16* pszSubKey) const;
    BOOL DeleteKey(HKEY hRoot, const wchar16* pszSubKey) const;
    // Creates the key when it is missing, then deletes the value.
    BOOL DeleteValue(HKEY hRoot, const wchar16* pszSubKey, const wchar16* pszValueName) const;
    // Any value type.
    BOOL ReadBinary(HKEY hRoot, const wchar16* pszSubKey, const wchar16* pszValueName, BYTE* pData,
                    DWORD* pcbData) const;
    // At most kScratchBytes bytes.
    BOOL WriteBinary(HKEY hRoot, const wchar16* pszSubKey, const wchar16* pszValueName,
                     const BYTE* pData, DWORD cbData) const;
    // The size of the value's data in bytes, any value type.
    BOOL QueryValueSize(HKEY hRoot, const wchar16* pszSubKey, const wchar16* pszValueName,
                        DWORD* pcbSize) const;
    BOOL KeyExists(HKEY hRoot, const wchar16* pszSubKey) const;
    BOOL ValueExists(HKEY hRoot, const wchar16* pszSubKey, const wchar16* pszValueName) const;

    // Capacity of the stack buffer that ReadDword reads into and WriteBinary writes from.
    static constexpr DWORD kScratchBytes = 256;
};
