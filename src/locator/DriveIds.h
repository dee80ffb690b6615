#pragma once
// The identifiers of the drives the locator supports.

#include "common/WideString.h"

#include <cstdint>

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
