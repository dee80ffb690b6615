// The machine's devices: device information sets (SetupDi*) and the configuration
// manager's device tree (CM_*).

#include "machine/MachineState.h"

#include <algorithm>

using namespace machine_detail;

namespace {

// Injected SetupDiGetClassDevsW failures report what a starved setup API reports.
constexpr DWORD kClassDevsFailure = ERROR_NOT_ENOUGH_MEMORY;

BOOL FailWith(DWORD& lastError, DWORD error) {
    lastError = error;
    return FALSE;
}

std::optional<DEVINST> FindDevice(const DeviceState& devices, std::u16string_view instanceId) {
    std::u16string folded = Fold(instanceId);
    for (size_t i = 0; i < devices.devices.size(); ++i) {
        if (Fold(devices.devices[i].instanceId) == folded) {
            return static_cast<DEVINST>(i);
        }
    }
    return std::nullopt;
}

bool Contains(const std::set<std::u16string>& foldedIds, std::u16string_view instanceId) {
    return foldedIds.count(Fold(instanceId)) != 0;
}

// Whether the device exposes an interface of that class (of any class when null).
bool ExposesInterface(const DeviceState& devices, const Device& device,
                      const GUID* interfaceClass) {
    auto found = devices.interfaces.find(Fold(device.instanceId));
    if (found == devices.interfaces.end()) {
        return false;
    }
    return std::any_of(found->second.begin(), found->second.end(), [&](const GUID& guid) {
        return interfaceClass == nullptr || SameGuid(guid, *interfaceClass);
    });
}

bool StartsWithEnumerator(const std::u16string& instanceId, std::u16string_view enumerator) {
    return Fold(instanceId).rfind(Fold(enumerator) + u"\\", 0) == 0;
}

bool BelongsToSet(const DeviceState& devices, const Device& device, const GUID* classGuid,
                  std::u16string_view enumerator, DWORD flags) {
    if ((flags & DIGCF_PRESENT) != 0 && !device.present) {
        return false;
    }
    const GUID* wanted = (flags & DIGCF_ALLCLASSES) != 0 ? nullptr : classGuid;
    if ((flags & DIGCF_DEVICEINTERFACE) != 0) {
        // For an interface set the enumerator names one device instance.
        return ExposesInterface(devices, device, wanted) &&
               (enumerator.empty() || EqualNoCase(device.instanceId, enumerator));
    }
    return (wanted == nullptr || SameGuid(device.setupClass, *wanted)) &&
           (enumerator.empty() || StartsWithEnumerator(device.instanceId, enumerator));
}

bool ClassDevsFail(const DeviceState& devices, const GUID* classGuid, DWORD flags) {
    return classGuid != nullptr &&
           std::any_of(devices.failingClassDevs.begin(), devices.failingClassDevs.end(),
                       [&](const std::pair<GUID, DWORD>& failing) {
                           return failing.second == flags && SameGuid(failing.first, *classGuid);
                       });
}

// SP_DEVINFO_DATA.Reserved ties an element to its set, as in setupapi.
ULONG_PTR ElementToken(const DeviceSet& set, size_t index) {
    return static_cast<ULONG_PTR>((set.serial << 16) | (index + 1));
}

// The token names its index, so a lookup costs the same in a set of any size.
std::optional<DEVINST> MemberOf(const DeviceSet& set, const SP_DEVINFO_DATA& info) {
    size_t index = static_cast<size_t>(info.Reserved & 0xFFFF);
    if (index == 0 || index > set.members.size() ||
        info.Reserved != ElementToken(set, index - 1)) {
        return std::nullopt;
    }
    return set.members[index - 1];
}

DeviceSet* FindSet(DeviceState& devices, HDEVINFO handle) {
    auto found = devices.sets.find(handle);
    return found == devices.sets.end() ? nullptr : &found->second;
}

} // namespace

// ---- Planting --------------------------------------------------------------------------

DEVINST Machine::PlantDevice(const std::u16string& instanceId, const GUID& setupClass,
                             const std::u16string& parentInstanceId, bool present) {
    DeviceState& devices = m_state->devices;
    Device device{instanceId, setupClass, parentInstanceId, present};
    if (std::optional<DEVINST> existing = FindDevice(devices, instanceId)) {
        devices.devices[*existing] = device;
        return *existing;
    }
    devices.devices.push_back(device);
    return static_cast<DEVINST>(devices.devices.size() - 1);
}

void Machine::PlantInterface(const std::u16string& instanceId, const GUID& interfaceClass) {
    m_state->devices.interfaces[Fold(instanceId)].push_back(interfaceClass);
}

void Machine::FailClassDevs(const GUID& classGuid, DWORD flags) {
    m_state->devices.failingClassDevs.emplace_back(classGuid, flags);
}

void Machine::FailInstanceIdRead(const std::u16string& instanceId) {
    m_state->devices.failingInstanceIdReads.insert(Fold(instanceId));
}

void Machine::FailLocateDevNode(const std::u16string& instanceId) {
    m_state->devices.failingLocates.insert(Fold(instanceId));
}

void Machine::FailGetParent(const std::u16string& instanceId) {
    m_state->devices.failingParents.insert(Fold(instanceId));
}

size_t Machine::OpenDeviceSetCount() const {
    return m_state->devices.sets.size();
}

// ---- Device setup ----------------------------------------------------------------------

HDEVINFO Machine::SetupDiGetClassDevsW(const GUID* classGuid, const wchar16* enumerator,
                                       HWND parent, DWORD flags) {
    (void)parent;
    DeviceState& devices = m_state->devices;
    if (classGuid == nullptr && (flags & DIGCF_ALLCLASSES) == 0) {
        m_state->lastError = ERROR_INVALID_PARAMETER;
        return INVALID_HANDLE_VALUE;
    }
    if (ClassDevsFail(devices, classGuid, flags)) {
        m_state->lastError = kClassDevsFailure;
        return INVALID_HANDLE_VALUE;
    }
    DeviceSet set;
    set.serial = devices.nextSetSerial++;
    for (size_t i = 0; i < devices.devices.size(); ++i) {
        if (BelongsToSet(devices, devices.devices[i], classGuid, View(enumerator), flags)) {
            set.members.push_back(static_cast<DEVINST>(i));
        }
    }
    auto handle = reinterpret_cast<HDEVINFO>(0x100000 + set.serial * 0x10);
    devices.sets[handle] = std::move(set);
    return handle;
}

BOOL Machine::SetupDiEnumDeviceInfo(HDEVINFO set, DWORD memberIndex, SP_DEVINFO_DATA* deviceInfo) {
    DWORD& lastError = m_state->lastError;
    const DeviceSet* found = FindSet(m_state->devices, set);
    if (found == nullptr) {
        return FailWith(lastError, ERROR_INVALID_HANDLE);
    }
    if (deviceInfo == nullptr) {
        return FailWith(lastError, ERROR_INVALID_PARAMETER);
    }
    if (deviceInfo->cbSize != sizeof(SP_DEVINFO_DATA)) {
        return FailWith(lastError, ERROR_INVALID_USER_BUFFER);
    }
    if (memberIndex >= found->members.size()) {
        return FailWith(lastError, ERROR_NO_MORE_ITEMS);
    }
    DEVINST devInst = found->members[memberIndex];
    deviceInfo->ClassGuid = m_state->devices.devices[devInst].setupClass;
    deviceInfo->DevInst = devInst;
    deviceInfo->Reserved = ElementToken(*found, memberIndex);
    return TRUE;
}

BOOL Machine::SetupDiGetDeviceInstanceIdW(HDEVINFO set, SP_DEVINFO_DATA* deviceInfo,
                                          wchar16* buffer, DWORD bufferChars,
                                          DWORD* requiredChars) {
    DWORD& lastError = m_state->lastError;
    const DeviceSet* found = FindSet(m_state->devices, set);
    if (found == nullptr) {
        return FailWith(lastError, ERROR_INVALID_HANDLE);
    }
    if (deviceInfo == nullptr) {
        return FailWith(lastError, ERROR_INVALID_PARAMETER);
    }
    if (deviceInfo->cbSize != sizeof(SP_DEVINFO_DATA)) {
        return FailWith(lastError, ERROR_INVALID_USER_BUFFER);
    }
    std::optional<DEVINST> member = MemberOf(*found, *deviceInfo);
    if (!member) {
        return FailWith(lastError, ERROR_INVALID_PARAMETER);
    }
    const std::u16string& id = m_state->devices.devices[*member].instanceId;
    if (Contains(m_state->devices.failingInstanceIdReads, id)) {
        return FailWith(lastError, ERROR_INVALID_PARAMETER);
    }
    if (buffer == nullptr && bufferChars != 0) {
        return FailWith(lastError, ERROR_INVALID_USER_BUFFER);
    }
    auto needed = static_cast<DWORD>(id.size() + 1);
    if (requiredChars != nullptr) {
        *requiredChars = needed;
    }
    if (needed > bufferChars) {
        return FailWith(lastError, ERROR_INSUFFICIENT_BUFFER);
    }
    std::copy(id.begin(), id.end(), buffer);
    buffer[id.size()] = 0;
    return TRUE;
}

BOOL Machine::SetupDiDestroyDeviceInfoList(HDEVINFO set) {
    if (m_state->devices.sets.erase(set) == 0) {
        return FailWith(m_state->lastError, ERROR_INVALID_HANDLE);
    }
    return TRUE;
}

// ---- Configuration manager -------------------------------------------------------------
// Injected failures answer CR_FAILURE, so that a test can tell them from a missing node.

CONFIGRET Machine::CM_Locate_DevNodeW(DEVINST* devInst, const wchar16* deviceId, ULONG flags) {
    if (devInst == nullptr) {
        return CR_INVALID_POINTER;
    }
    if ((flags & ~kLocateDevNodeFlagsMask) != 0) {
        return CR_INVALID_FLAG;
    }
    // An empty ID would name the root of the device tree, which the machine does not model.
    std::u16string_view id = View(deviceId);
    if (id.empty()) {
        return CR_NO_SUCH_DEVNODE;
    }
    if (Contains(m_state->devices.failingLocates, id)) {
        return CR_FAILURE;
    }
    std::optional<DEVINST> found = FindDevice(m_state->devices, id);
    if (!found) {
        return CR_NO_SUCH_DEVNODE;
    }
    bool phantomAllowed = (flags & kLocateDevNodePhantom) != 0;
    if (!m_state->devices.devices[*found].present && !phantomAllowed) {
        return CR_NO_SUCH_DEVNODE;
    }
    *devInst = *found;
    return CR_SUCCESS;
}

CONFIGRET Machine::CM_Get_Parent(DEVINST* parent, DEVINST devInst, ULONG flags) {
    if (parent == nullptr) {
        return CR_INVALID_POINTER;
    }
    if (flags != 0) {
        return CR_INVALID_FLAG;
    }
    const DeviceState& devices = m_state->devices;
    if (devInst >= devices.devices.size()) {
        return CR_INVALID_DEVNODE;
    }
    const Device& device = devices.devices[devInst];
    if (Contains(devices.failingParents, device.instanceId)) {
        return CR_FAILURE;
    }
    std::optional<DEVINST> found = device.parentInstanceId.empty()
                                       ? std::nullopt
                                       : FindDevice(devices, device.parentInstanceId);
    if (!found) {
        return CR_NO_SUCH_DEVNODE;
    }
    *parent = *found;
    return CR_SUCCESS;
}

CONFIGRET Machine::CM_Get_Device_IDW(DEVINST devInst, wchar16* buffer, ULONG bufferChars,
                                     ULONG flags) {
    if (buffer == nullptr) {
        return CR_INVALID_POINTER;
    }
    if (flags != 0) {
        return CR_INVALID_FLAG;
    }
    if (devInst >= m_state->devices.devices.size()) {
        return CR_INVALID_DEVNODE;
    }
    const std::u16string& id = m_state->devices.devices[devInst].instanceId;
    if (bufferChars < id.size() + 1) {
        // As documented: as much of the ID as fits, without a terminator.
        std::copy_n(id.begin(), std::min<size_t>(bufferChars, id.size()), buffer);
        return CR_BUFFER_SMALL;
    }
    std::copy(id.begin(), id.end(), buffer);
    buffer[id.size()] = 0;
    return CR_SUCCESS;
}
