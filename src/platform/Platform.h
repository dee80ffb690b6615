#pragma once
// The seam between the program's logic and the operating system. Each operation
// mirrors the Win32 call of the same name: same inputs, outputs, status codes and
// last-error values. The Windows build forwards to the real calls; tests plug in an
// in-memory machine. Reserved parameters that the program always passes as null or
// zero are left out.

#include "platform/WinTypes.h"

class Platform {
public:
    Platform() = default;
    Platform(const Platform&) = delete;
    Platform& operator=(const Platform&) = delete;
    virtual ~Platform() = default;

    // Thread error state.
    virtual DWORD GetLastError() = 0;
    virtual void SetLastError(DWORD error) = 0;

    // Registry. Status codes as the registry returns them (ERROR_SUCCESS, ERROR_MORE_DATA, ...).
    virtual LSTATUS RegOpenKeyExW(HKEY root, const wchar16* subKey, DWORD options, REGSAM access,
                                  HKEY* result) = 0;
    virtual LSTATUS RegCreateKeyExW(HKEY root, const wchar16* subKey, DWORD options,
                                    REGSAM access, HKEY* result, DWORD* disposition) = 0;
    virtual LSTATUS RegQueryValueExW(HKEY key, const wchar16* valueName, DWORD* type, BYTE* data,
                                     DWORD* dataSize) = 0;
    virtual LSTATUS RegSetValueExW(HKEY key, const wchar16* valueName, DWORD type,
                                   const BYTE* data, DWORD dataSize) = 0;
    virtual LSTATUS RegDeleteKeyW(HKEY root, const wchar16* subKey) = 0;
    virtual LSTATUS RegDeleteValueW(HKEY key, const wchar16* valueName) = 0;
    virtual LSTATUS RegCloseKey(HKEY key) = 0;

    // Device setup. A failed SetupDiGetClassDevsW returns INVALID_HANDLE_VALUE.
    virtual HDEVINFO SetupDiGetClassDevsW(const GUID* classGuid, const wchar16* enumerator,
                                          HWND parent, DWORD flags) = 0;
    virtual BOOL SetupDiEnumDeviceInfo(HDEVINFO set, DWORD memberIndex,
                                       SP_DEVINFO_DATA* deviceInfo) = 0;
    virtual BOOL SetupDiGetDeviceInstanceIdW(HDEVINFO set, SP_DEVINFO_DATA* deviceInfo,
                                             wchar16* buffer, DWORD bufferChars,
                                             DWORD* requiredChars) = 0;
    virtual BOOL SetupDiDestroyDeviceInfoList(HDEVINFO set) = 0;

    // Configuration manager.
    virtual CONFIGRET CM_Locate_DevNodeW(DEVINST* devInst, const wchar16* deviceId,
                                         ULONG flags) = 0;
    virtual CONFIGRET CM_Get_Parent(DEVINST* parent, DEVINST devInst, ULONG flags) = 0;
    virtual CONFIGRET CM_Get_Device_IDW(DEVINST devInst, wchar16* buffer, ULONG bufferChars,
                                        ULONG flags) = 0;

    // Volumes and DOS devices.
    virtual BOOL GetVolumeNameForVolumeMountPointW(const wchar16* mountPoint, wchar16* volumeName,
                                                   DWORD volumeNameChars) = 0;
    virtual DWORD QueryDosDeviceW(const wchar16* deviceName, wchar16* targetPath,
                                  DWORD targetChars) = 0;

    // Text and identifiers.
    virtual wchar16* CharUpperW(wchar16* text) = 0;
    virtual HRESULT CLSIDFromString(const wchar16* text, CLSID* clsid) = 0;
};

// The platform the program runs on. main() installs the real one; tests swap in
// an in-memory machine with ScopedPlatform.
Platform& platform();
void InstallPlatform(Platform* platform);

class ScopedPlatform {
public:
    explicit ScopedPlatform(Platform& replacement);
    ~ScopedPlatform();
    ScopedPlatform(const ScopedPlatform&) = delete;
    ScopedPlatform& operator=(const ScopedPlatform&) = delete;

private:
    Platform* m_previous;
};
