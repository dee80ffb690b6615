#pragma once
// The locator's module state and the identifiers of the drives it supports.

#include "platform/WinTypes.h"

#include <cstddef>
#include <cstdint>

constexpr size_t kInstanceIdCapacity = 260;
constexpr size_t kDriveKeyCapacity = 40;

// Written by each call of GetInternalDriveLetter as far as its steps succeed.
extern wchar16 g_szDriveInstanceId[kInstanceIdCapacity];
extern wchar16 g_szDriveKey[kDriveKeyCapacity];
extern wchar16 g_szSearchKey[kDriveKeyCapacity];

// Supported IDE drives, as their instance IDs hold them and as mount-table paths do.
inline constexpr wchar16 g_szIdeVeltranoId[] = u"IDE\\CDROMVELTRANO";
inline constexpr wchar16 g_szIdeSlimtypeId[] = u"IDE\\CDROMSLIMTYPE";
inline constexpr wchar16 g_szIdeVeltranoPath[] = u"IDE#CDROMVELTRANO";
inline constexpr wchar16 g_szIdeSlimtypePath[] = u"IDE#CDROMSLIMTYPE";

// Supported USB drives: one vendor, six products, tried in this order.
inline constexpr uint16_t g_nUsbIdCount = 6;
inline constexpr const wchar16* g_apszUsbIds[g_nUsbIdCount] = {
    u"VID_2B47&PID_0801", u"VID_2B47&PID_0802", u"VID_2B47&PID_0A10",
    u"VID_2B47&PID_0A11", u"VID_2B47&PID_0C20", u"VID_2B47&PID_0C21",
};

// The DVD-RAM driver: its CD-ROM devices' enumerator prefix, the same without the
// trailing backslash, their mount-table path prefix, and the device setup class of the
// IDE drives it stands on.
inline constexpr wchar16 g_szDvdRamIdPrefix[] = u"DVDRAM\\CDROM\\";
inline constexpr wchar16 g_szDvdRamIdMarker[] = u"DVDRAM\\CDROM";
inline constexpr wchar16 g_szDvdRamPathPrefix[] = u"\\??\\DVDRAM#CDROM#";
inline constexpr wchar16 g_szDvdRamClassGuid[] = u"{6B1F3C2A-9E47-4D8B-A5C1-3F2E8D704B19}";

// A mount-table device path ends with "#{" and the interface class GUID.
inline constexpr wchar16 g_szInterfaceGuidStart[] = u"#{";

// GUID_DEVINTERFACE_USB_DEVICE and GUID_DEVINTERFACE_CDROM.
inline constexpr GUID g_guidUsbDeviceInterface = {
    0xA5DCBF10, 0x6530, 0x11D2, {0x90, 0x1F, 0x00, 0xC0, 0x4F, 0xB9, 0x51, 0xED}};
inline constexpr GUID g_guidCdromInterface = {
    0x53F56308, 0xB6BF, 0x11D0, {0x94, 0xF2, 0x00, 0xA0, 0xC9, 0x1E, 0xFB, 0x8B}};
