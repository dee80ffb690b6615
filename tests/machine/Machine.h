#pragma once
// An in-memory Windows machine behind the platform seam, for tests. It answers every
// seam call as Win32 does for a 32-bit process on 64-bit Windows (unless told it is a
// 32-bit Windows), including the failure paths, and lets a test plant registry keys
// and values, devices, volumes and DOS devices, and inject failures.

#include "machine/MachineSystem.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

// Which registry view a planting or inspection call addresses. Default is the view a
// 32-bit process sees without view flags (the 32-bit view of HKLM\SOFTWARE).
enum class RegView { Default, View32, View64 };

struct RegValueData {
    DWORD type = REG_NONE;
    std::vector<uint8_t> bytes;
};

// One registry call as the program made it, for tests that check access rights.
struct RegCall {
    std::string operation; // "open", "create", "query", "set", "deletekey", "deletevalue", "close"
    std::u16string path;   // subkey path as passed (empty for calls on an open handle)
    REGSAM access = 0;     // for open and create
    LSTATUS status = ERROR_SUCCESS;
};

std::vector<uint8_t> Utf16Bytes(const std::u16string& text, bool withTerminator = true);
std::u16string GuidString(const GUID& guid); // registry form {XXXXXXXX-...}, upper case

class Machine : public MachineSystem {
public:
    Machine();
    ~Machine() override;

    // ---- Planting and inspection -------------------------------------------------
    // Registry keys and value names are case-insensitive, as on Windows. Paths are
    // relative to root and use backslashes.
    bool is64BitWindows = true;

    void PlantKey(HKEY root, const std::u16string& path, RegView view = RegView::Default);
    void PlantValue(HKEY root, const std::u16string& path, const std::u16string& name, DWORD type,
                    const std::vector<uint8_t>& bytes, RegView view = RegView::Default);
    void PlantDword(HKEY root, const std::u16string& path, const std::u16string& name,
                    DWORD value, RegView view = RegView::Default);
    void PlantString(HKEY root, const std::u16string& path, const std::u16string& name,
                     const std::u16string& text, DWORD type = REG_SZ,
                     RegView view = RegView::Default);
    // A value whose size the registry reports as reportedSize while holding only the
    // given bytes (to reach sizes near 4 GiB without allocating them). A read into a
    // buffer smaller than reportedSize fails with ERROR_MORE_DATA.
    void PlantOversizedValue(HKEY root, const std::u16string& path, const std::u16string& name,
                             DWORD type, DWORD reportedSize);
    // The rights a key grants; opening or creating it with rights outside the mask
    // (view flags ignored) fails with ERROR_ACCESS_DENIED. Default: everything.
    void RestrictKeyAccess(HKEY root, const std::u16string& path, REGSAM grantedMask,
                           RegView view = RegView::Default);
    // The next reads of this value after the size query see it grown by extraBytes
    // (a value that changes between the program's size query and its read).
    void GrowValueAfterSizeQuery(HKEY root, const std::u16string& path,
                                 const std::u16string& name, DWORD extraBytes);

    bool KeyPresent(HKEY root, const std::u16string& path, RegView view = RegView::Default) const;
    std::optional<RegValueData> Value(HKEY root, const std::u16string& path,
                                      const std::u16string& name,
                                      RegView view = RegView::Default) const;
    size_t OpenKeyCount() const;
    const std::vector<RegCall>& RegistryCalls() const;
    void ClearRegistryCalls();

    // Devices. Each device gets a device instance handle in the order planted, starting
    // at 0 (0 is a valid handle). Interfaces belong to a device; a device set of an
    // interface class enumerates the devices exposing it, in planting order.
    DEVINST PlantDevice(const std::u16string& instanceId, const GUID& setupClass,
                        const std::u16string& parentInstanceId = u"", bool present = true);
    void PlantInterface(const std::u16string& instanceId, const GUID& interfaceClass);
    // Failure injection.
    void FailClassDevs(const GUID& classGuid, DWORD flags); // that exact class and flags
    void FailInstanceIdRead(const std::u16string& instanceId);
    void FailLocateDevNode(const std::u16string& instanceId);
    void FailGetParent(const std::u16string& instanceId);
    size_t OpenDeviceSetCount() const;

    // Volumes and DOS devices. PlantVolume gives a letter the volume name
    // "\\?\Volume{<guid>}\"; PlantMountedDevice also writes the mount-table value
    // "\??\Volume{<guid>}" under HKLM\SYSTEM\MountedDevices with devicePath as UTF-16
    // (no terminator), and defines the DOS device of the letter.
    void PlantVolume(wchar16 letter, const std::u16string& volumeGuid);
    void PlantMountedDevice(wchar16 letter, const std::u16string& volumeGuid,
                            const std::u16string& devicePath);
    void PlantDosDevice(const std::u16string& name, const std::u16string& target);
    // QueryDosDeviceW for name fails with this error (for example a target longer
    // than the caller's buffer gives ERROR_INSUFFICIENT_BUFFER).
    void FailDosDevice(const std::u16string& name, DWORD error);
    void RemoveDosDevice(const std::u16string& name);

    // ---- Platform ----------------------------------------------------------------
    DWORD GetLastError() override;
    void SetLastError(DWORD error) override;

    LSTATUS RegOpenKeyExW(HKEY root, const wchar16* subKey, DWORD options, REGSAM access,
                          HKEY* result) override;
    LSTATUS RegCreateKeyExW(HKEY root, const wchar16* subKey, DWORD options, REGSAM access,
                            HKEY* result, DWORD* disposition) override;
    LSTATUS RegQueryValueExW(HKEY key, const wchar16* valueName, DWORD* type, BYTE* data,
                             DWORD* dataSize) override;
    LSTATUS RegSetValueExW(HKEY key, const wchar16* valueName, DWORD type, const BYTE* data,
                           DWORD dataSize) override;
    LSTATUS RegDeleteKeyW(HKEY root, const wchar16* subKey) override;
    LSTATUS RegDeleteValueW(HKEY key, const wchar16* valueName) override;
    LSTATUS RegCloseKey(HKEY key) override;

    HDEVINFO SetupDiGetClassDevsW(const GUID* classGuid, const wchar16* enumerator, HWND parent,
                                  DWORD flags) override;
    BOOL SetupDiEnumDeviceInfo(HDEVINFO set, DWORD memberIndex,
                               SP_DEVINFO_DATA* deviceInfo) override;
    BOOL SetupDiGetDeviceInstanceIdW(HDEVINFO set, SP_DEVINFO_DATA* deviceInfo, wchar16* buffer,
                                     DWORD bufferChars, DWORD* requiredChars) override;
    BOOL SetupDiDestroyDeviceInfoList(HDEVINFO set) override;

    CONFIGRET CM_Locate_DevNodeW(DEVINST* devInst, const wchar16* deviceId, ULONG flags) override;
    CONFIGRET CM_Get_Parent(DEVINST* parent, DEVINST devInst, ULONG flags) override;
    CONFIGRET CM_Get_Device_IDW(DEVINST devInst, wchar16* buffer, ULONG bufferChars,
                                ULONG flags) override;

    BOOL GetVolumeNameForVolumeMountPointW(const wchar16* mountPoint, wchar16* volumeName,
                                           DWORD volumeNameChars) override;
    DWORD QueryDosDeviceW(const wchar16* deviceName, wchar16* targetPath,
                          DWORD targetChars) override;

    wchar16* CharUpperW(wchar16* text) override;
    HRESULT CLSIDFromString(const wchar16* text, CLSID* clsid) override;

private:
    struct State;
    std::unique_ptr<State> m_state;
};

// Well-known GUIDs for planting.
extern const GUID kGuidInterfaceUsbDevice; // {A5DCBF10-6530-11D2-901F-00C04FB951ED}
extern const GUID kGuidInterfaceCdrom;     // {53F56308-B6BF-11D0-94F2-00A0C91EFB8B}
extern const GUID kGuidClassCdrom;         // {4D36E965-E325-11CE-BFC1-08002BE10318}
extern const GUID kGuidClassUsb;           // {36FC9E60-C465-11CF-8056-444553540000}
GUID ParseGuid(const std::u16string& registryForm); // aborts on a malformed literal
