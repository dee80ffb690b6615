// The machine's volumes and DOS devices: the mount manager's volume names per drive
// letter, QueryDosDeviceW's name space, and the mount table in the registry.

#include "machine/MachineState.h"

#include <algorithm>

using namespace machine_detail;

namespace {

// Every volume GUID path ("\\?\Volume{...}\") is 49 characters; like Windows, a buffer
// without room for one and its NUL is refused before the mount point is looked at.
constexpr DWORD kVolumeNameChars = 50;

std::u16string WithoutBraces(const std::u16string& guid) {
    if (guid.size() >= 2 && guid.front() == u'{' && guid.back() == u'}') {
        return guid.substr(1, guid.size() - 2);
    }
    return guid;
}

bool IsLetter(wchar16 c) {
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

// The volume name a mount point leads to: a drive root "X:\" or a volume name itself.
const std::u16string* FindVolumeName(const VolumeState& volumes, std::u16string_view mountPoint) {
    if (mountPoint.size() == 3 && IsLetter(mountPoint[0]) && mountPoint[1] == u':') {
        auto found = volumes.volumeNames.find(UpperChar(mountPoint[0]));
        return found == volumes.volumeNames.end() ? nullptr : &found->second;
    }
    for (const auto& entry : volumes.volumeNames) {
        if (EqualNoCase(entry.second, mountPoint)) {
            return &entry.second;
        }
    }
    return nullptr;
}

BOOL FailWith(DWORD& lastError, DWORD error) {
    lastError = error;
    return FALSE;
}

DWORD QueryAllDosDevices(const VolumeState& volumes, wchar16* targetPath, DWORD targetChars,
                         DWORD& lastError) {
    std::u16string names;
    for (const auto& entry : volumes.dosDevices) {
        names += entry.second.name;
        names += u'\0';
    }
    names += u'\0';
    if (targetPath == nullptr || names.size() > targetChars) {
        FailWith(lastError, ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::copy(names.begin(), names.end(), targetPath);
    return static_cast<DWORD>(names.size());
}

} // namespace

// ---- Planting --------------------------------------------------------------------------

void Machine::PlantVolume(wchar16 letter, const std::u16string& volumeGuid) {
    m_state->volumes.volumeNames[UpperChar(letter)] =
        u"\\\\?\\Volume{" + WithoutBraces(volumeGuid) + u"}\\";
}

void Machine::PlantMountedDevice(wchar16 letter, const std::u16string& volumeGuid,
                                 const std::u16string& devicePath) {
    PlantVolume(letter, volumeGuid);
    PlantValue(HKEY_LOCAL_MACHINE, u"SYSTEM\\MountedDevices",
               u"\\??\\Volume{" + WithoutBraces(volumeGuid) + u"}", REG_BINARY,
               Utf16Bytes(devicePath, false), RegView::View64);
    std::u16string number;
    for (unsigned n = m_state->volumes.nextCdRomNumber++; number.empty() || n != 0; n /= 10) {
        number.insert(number.begin(), static_cast<wchar16>(u'0' + n % 10));
    }
    PlantDosDevice(std::u16string(1, UpperChar(letter)) + u":", u"\\Device\\CdRom" + number);
}

void Machine::PlantDosDevice(const std::u16string& name, const std::u16string& target) {
    m_state->volumes.dosDevices[Fold(name)] = DosDevice{name, target};
}

void Machine::FailDosDevice(const std::u16string& name, DWORD error) {
    m_state->volumes.failingDosDevices[Fold(name)] = error;
}

void Machine::RemoveDosDevice(const std::u16string& name) {
    m_state->volumes.dosDevices.erase(Fold(name));
}

// ---- Platform --------------------------------------------------------------------------

BOOL Machine::GetVolumeNameForVolumeMountPointW(const wchar16* mountPoint, wchar16* volumeName,
                                                DWORD volumeNameChars) {
    DWORD& lastError = m_state->lastError;
    if (mountPoint == nullptr) {
        return FailWith(lastError, ERROR_INVALID_PARAMETER);
    }
    std::u16string_view path(mountPoint);
    if (path.empty() || path.back() != u'\\') {
        return FailWith(lastError, ERROR_INVALID_NAME);
    }
    if (volumeNameChars < kVolumeNameChars) {
        return FailWith(lastError, ERROR_FILENAME_EXCED_RANGE);
    }
    if (volumeName == nullptr) {
        return FailWith(lastError, ERROR_INVALID_PARAMETER);
    }
    const std::u16string* name = FindVolumeName(m_state->volumes, path);
    if (name == nullptr) {
        return FailWith(lastError, ERROR_FILE_NOT_FOUND);
    }
    if (name->size() + 1 > volumeNameChars) {
        return FailWith(lastError, ERROR_FILENAME_EXCED_RANGE);
    }
    std::copy(name->begin(), name->end(), volumeName);
    volumeName[name->size()] = 0;
    return TRUE;
}

DWORD Machine::QueryDosDeviceW(const wchar16* deviceName, wchar16* targetPath, DWORD targetChars) {
    const VolumeState& volumes = m_state->volumes;
    DWORD& lastError = m_state->lastError;
    if (deviceName == nullptr) {
        return QueryAllDosDevices(volumes, targetPath, targetChars, lastError);
    }
    std::u16string folded = Fold(deviceName);
    auto failing = volumes.failingDosDevices.find(folded);
    if (failing != volumes.failingDosDevices.end()) {
        FailWith(lastError, failing->second);
        return 0;
    }
    auto found = volumes.dosDevices.find(folded);
    if (found == volumes.dosDevices.end()) {
        FailWith(lastError, ERROR_FILE_NOT_FOUND);
        return 0;
    }
    // The answer is a list of targets: each NUL-terminated, the list ended by one more NUL.
    const std::u16string& target = found->second.target;
    size_t needed = target.size() + 2;
    if (targetPath == nullptr || needed > targetChars) {
        FailWith(lastError, ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::copy(target.begin(), target.end(), targetPath);
    targetPath[target.size()] = 0;
    targetPath[target.size() + 1] = 0;
    return static_cast<DWORD>(needed);
}
