#pragma once
// The in-memory machine's state, shared by the files that implement its areas
// (registry, devices, volumes, text). Not for tests: they use Machine.h.

#include "machine/Machine.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace machine_detail {

// Rights and flags the machine needs but the program never names.
constexpr REGSAM kDelete = 0x00010000;
constexpr REGSAM kMaximumAllowed = 0x02000000;
constexpr REGSAM kGenericAll = 0x10000000;
constexpr REGSAM kGenericExecute = 0x20000000;
constexpr REGSAM kGenericWrite = 0x40000000;
constexpr REGSAM kGenericRead = 0x80000000;
constexpr REGSAM kViewFlags = KEY_WOW64_64KEY | KEY_WOW64_32KEY;
constexpr REGSAM kEveryRight = 0xFFFFFFFF;
constexpr ULONG kLocateDevNodePhantom = 0x1;
constexpr ULONG kLocateDevNodeFlagsMask = 0x7;

// ---- Text --------------------------------------------------------------------------

wchar16 UpperChar(wchar16 c);
// The form names are compared in: upper case, as Windows compares registry and
// device names.
std::u16string Fold(std::u16string_view text);
bool EqualNoCase(std::u16string_view left, std::u16string_view right);
std::u16string_view View(const wchar16* text); // null reads as empty
bool SameGuid(const GUID& left, const GUID& right);
// Parses exactly "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" (hex in either case).
bool ParseBracedGuid(std::u16string_view text, GUID& guid);

// ---- Registry ----------------------------------------------------------------------

struct RegValue {
    std::u16string name;
    DWORD type = REG_NONE;
    std::vector<uint8_t> bytes;
    std::optional<DWORD> reportedSize; // set for a planted oversized value

    DWORD Size() const { return reportedSize ? *reportedSize : static_cast<DWORD>(bytes.size()); }
};

struct RegKey : std::enable_shared_from_this<RegKey> {
    std::u16string name;
    RegKey* parent = nullptr;
    std::map<std::u16string, std::shared_ptr<RegKey>> subkeys; // by folded name
    std::map<std::u16string, RegValue> values;                 // by folded name
    std::map<std::u16string, DWORD> growthAfterSizeQuery;      // by folded value name
    REGSAM grantedMask = kEveryRight;
    bool deleted = false;
};

struct OpenRegKey {
    std::shared_ptr<RegKey> key;
    REGSAM granted = 0;
};

struct RegistryState {
    std::shared_ptr<RegKey> localMachine;
    std::shared_ptr<RegKey> currentUser;
    std::map<HKEY, OpenRegKey> handles;
    uintptr_t nextHandle = 0x1000;
    std::vector<RegCall> calls;
};

// The hives with the keys every Windows has (SOFTWARE, SYSTEM).
void InitRegistry(RegistryState& reg);

// ---- Devices -----------------------------------------------------------------------

struct Device {
    std::u16string instanceId;
    GUID setupClass{};
    std::u16string parentInstanceId;
    bool present = true;
};

struct DeviceSet {
    uintptr_t serial = 0;
    std::vector<DEVINST> members;
};

struct DeviceState {
    std::vector<Device> devices;                            // index is the DEVINST
    std::map<std::u16string, std::vector<GUID>> interfaces; // by folded instance id
    std::vector<std::pair<GUID, DWORD>> failingClassDevs;
    std::set<std::u16string> failingInstanceIdReads; // folded instance ids
    std::set<std::u16string> failingLocates;
    std::set<std::u16string> failingParents;
    std::map<HDEVINFO, DeviceSet> sets;
    uintptr_t nextSetSerial = 1;
};

// ---- Volumes and DOS devices -------------------------------------------------------

struct DosDevice {
    std::u16string name;
    std::u16string target;
};

struct VolumeState {
    std::map<wchar16, std::u16string> volumeNames;     // by upper-case letter
    std::map<std::u16string, DosDevice> dosDevices;    // by folded name
    std::map<std::u16string, DWORD> failingDosDevices; // by folded name
    unsigned nextCdRomNumber = 0;
};

} // namespace machine_detail

struct Machine::State {
    DWORD lastError = ERROR_SUCCESS;
    machine_detail::RegistryState registry;
    machine_detail::DeviceState devices;
    machine_detail::VolumeState volumes;
};
