// Fuzzes the whole letter resolution over an in-memory machine built from the input.
// The input is a list of records, each a tag byte, a 16-bit little-endian length and
// that many bytes:
//   tag & 3 == 0  a device on the CD-ROM interfaces; the bytes are its instance ID (UTF-16LE)
//   tag & 3 == 1  a device on the USB-device interfaces
//   tag & 3 == 2  a DVD-RAM driver device and its parent: parent ID, a NUL character, child ID
//   tag & 3 == 3  a mount-table entry: a letter byte (mod 26), a 32-bit value type, the data
// Bit 2 of a device's tag makes it not present; of an entry's tag, it leaves the volume
// without a value, and bit 3 the value without a volume. tests/fuzz/make_corpus.py
// writes the seeds in this form.

#include "FuzzSupport.h"

#include "locator/CDAccess.h"
#include "locator/DriveIds.h"
#include "machine/Machine.h"

#include <cstring>
#include <vector>

namespace {

using fuzz::Require;

struct Record {
    uint8_t tag = 0;
    std::vector<uint8_t> bytes;
};

std::vector<Record> ReadRecords(const uint8_t* data, size_t size) {
    std::vector<Record> records;
    size_t at = 0;
    while (size - at >= 3) {
        Record record;
        record.tag = data[at];
        size_t length = static_cast<size_t>(data[at + 1] | (data[at + 2] << 8));
        at += 3;
        length = std::min(length, size - at);
        record.bytes.assign(data + at, data + at + length);
        at += length;
        records.push_back(std::move(record));
    }
    return records;
}

std::u16string Utf16(const std::vector<uint8_t>& bytes) {
    return fuzz::Utf16(std::string(bytes.begin(), bytes.end()));
}

std::u16string VolumeGuid(wchar16 letter) {
    const char16_t* hex = u"0123456789ABCDEF";
    return std::u16string(u"{00000000-0000-0000-0000-0000000000") + hex[letter >> 4] +
           hex[letter & 0xF] + u"}";
}

void PlantDevice(Machine& machine, const Record& record) {
    bool present = (record.tag & 4) == 0;
    std::u16string id = Utf16(record.bytes);
    switch (record.tag & 3) {
    case 0:
        machine.PlantDevice(id, kGuidClassCdrom, u"", present);
        machine.PlantInterface(id, kGuidInterfaceCdrom);
        break;
    case 1:
        machine.PlantDevice(id, kGuidClassUsb, u"", present);
        machine.PlantInterface(id, kGuidInterfaceUsbDevice);
        break;
    default: {
        size_t split = std::min(id.find(u'\0'), id.size());
        std::u16string parent = id.substr(0, split);
        std::u16string child = split < id.size() ? id.substr(split + 1) : u"";
        machine.PlantDevice(parent, ParseGuid(g_szDvdRamClassGuid));
        machine.PlantDevice(child, kGuidClassCdrom, parent, present);
        machine.PlantInterface(child, kGuidInterfaceCdrom);
        break;
    }
    }
}

// Returns the letter whose volume was planted, or 0.
wchar16 PlantMountEntry(Machine& machine, const Record& record) {
    if (record.bytes.empty()) {
        return 0;
    }
    auto letter = static_cast<wchar16>(u'A' + record.bytes[0] % 26);
    DWORD type = 0;
    size_t typeBytes = std::min<size_t>(4, record.bytes.size() - 1);
    std::memcpy(&type, record.bytes.data() + 1, typeBytes);
    std::vector<uint8_t> value(record.bytes.begin() + 1 + static_cast<std::ptrdiff_t>(typeBytes),
                               record.bytes.end());
    bool withValue = (record.tag & 4) == 0;
    bool withVolume = (record.tag & 8) == 0;
    if (withValue) {
        machine.PlantValue(HKEY_LOCAL_MACHINE, u"SYSTEM\\MountedDevices",
                           u"\\??\\Volume" + VolumeGuid(letter), type, value);
    }
    if (withVolume) {
        machine.PlantVolume(letter, VolumeGuid(letter));
        return letter;
    }
    return 0;
}

void ClearLocatorState() {
    g_szDriveInstanceId[0] = 0;
    g_szDriveKey[0] = 0;
    g_szSearchKey[0] = 0;
}

bool TerminatedWithin(const wchar16* text, size_t capacity) {
    return std::find(text, text + capacity, 0) != text + capacity;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Machine machine;
    ScopedPlatform guard(machine);
    bool volumes[26] = {};
    for (const Record& record : ReadRecords(data, size)) {
        if ((record.tag & 3) == 3) {
            wchar16 letter = PlantMountEntry(machine, record);
            if (letter != 0) {
                volumes[letter - u'A'] = true;
            }
        } else {
            PlantDevice(machine, record);
        }
    }

    ClearLocatorState();
    constexpr wchar16 kUntouched = u'?';
    wchar16 letter = kUntouched;
    BOOL found = GetInternalDriveLetter(&letter);
    Require(machine.OpenKeyCount() == 0, "a registry key stayed open");
    Require(machine.OpenDeviceSetCount() == 0, "a device set stayed open");
    Require(TerminatedWithin(g_szDriveInstanceId, kInstanceIdCapacity) &&
                TerminatedWithin(g_szDriveKey, kDriveKeyCapacity) &&
                TerminatedWithin(g_szSearchKey, kDriveKeyCapacity),
            "locator state not terminated");
    if (found) {
        Require(letter >= u'A' && letter <= u'Z' && volumes[letter - u'A'],
                "resolved a letter that has no volume");
    } else {
        Require(letter == kUntouched || letter == 0, "a failed resolution wrote a letter");
    }
    // Each call searches afresh: a second call over the same machine answers the same.
    wchar16 again = kUntouched;
    Require(GetInternalDriveLetter(&again) == found && (!found || again == letter),
            "a second resolution answered differently");
    return 0;
}
