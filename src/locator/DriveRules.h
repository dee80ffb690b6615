#pragma once
// The locator's decisions, on plain text: which device instance IDs name a supported
// drive, the drive key of an instance ID, whether a mount-table entry names the drive, and
// the letter whose entry does.

#include "common/WideString.h"

#include <cstddef>
#include <cstdint>
#include <memory>

constexpr size_t kInstanceIdCapacity = 260;
constexpr size_t kDriveKeyCapacity = 40;

// The direct test of a present device: a supported IDE prefix or USB fragment anywhere in
// the ID, compared case-sensitively, as the system returned it.
bool IsSupportedDriveId(const wchar16* pszId);
// A CD-ROM device of the DVD-RAM driver: the ID starts with "DVDRAM\CDROM\", in any case.
bool IsDvdRamDeviceId(const wchar16* pszId);
// The parent a DVD-RAM device must have: an ID starting with a supported IDE prefix, any case.
bool IsSupportedIdeId(const wchar16* pszId);

// The upper-case text by which the drive's mount-table entry is recognised. False when
// the ID names no supported drive or its key does not fit; pszKey may then hold a cut
// candidate.
bool DriveKeyOf(const wchar16* pszInstanceId, wchar16* pszKey, size_t cchKey);
// Rebuilds a DVD-RAM driver device's instance ID from its mount-table text, upper-cased;
// false when it does not fit.
bool RebuildDvdRamId(const wchar16* pszValueText, wchar16* pszInstanceId, size_t cchInstanceId);
// Whether the text, upper-cased, contains the drive key; never for an empty key.
bool TextHasDriveKey(const wchar16* pszText, const wchar16* pszDriveKey);

// A value whose padded buffer would pass 4 GiB (its size would wrap in 32 bits) is refused.
bool IsMountValueSizeAcceptable(uint32_t cbValue);

// The data of one mount-table value, held as UTF-16 text: zero-filled, in whole
// characters and with room behind the data, so that it always reads as a terminated
// string whatever the value's byte count and content.
class CMountEntry {
public:
    enum class Allocation { Ok, Refused, OutOfMemory };
    // Room for cbValue bytes; Refused when the padded size would wrap around 4 GiB.
    Allocation Allocate(uint32_t cbValue);
    uint8_t* Bytes() const { return reinterpret_cast<uint8_t*>(m_pText.get()); }
    wchar16* Text() const { return m_pText.get(); }

private:
    std::unique_ptr<wchar16[]> m_pText;
};

enum class EntryMatch { No, Yes, IfParentHasKey };

// Upper-cases the search key and the entry text in place, then tests in this order: the
// key (when not empty), the two IDE literals, and a DVD-RAM driver path, whose rebuilt
// instance ID goes to pszDvdRamId for the caller's parent check.
EntryMatch MatchMountEntry(wchar16* pszText, wchar16* pszSearchKey, wchar16* pszDvdRamId,
                           size_t cchDvdRamId);

// What the letter resolution asks of the system.
class CMountFacts {
public:
    enum class Entry { Missing, Read, OutOfMemory };
    // The mount-table entry of the volume at the letter's root; Missing when there is no
    // volume, no entry, or it cannot be read.
    virtual Entry ReadEntry(wchar16 chLetter, CMountEntry& entry) = 0;
    // Whether the parent device of that DVD-RAM device carries the drive key.
    virtual bool ParentHasDriveKey(const wchar16* pszDvdRamId) = 0;

protected:
    ~CMountFacts() = default;
};

// Tries the letters A to Z; the first whose entry names the drive wins. *pchLetter is NUL
// when none does. Out of memory ends the search.
bool ResolveDriveLetter(CMountFacts& facts, wchar16* pszSearchKey, wchar16* pchLetter);
