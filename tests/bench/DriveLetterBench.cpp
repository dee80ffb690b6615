// What one GetInternalDriveLetter call costs over in-memory machines: a realistic one
// (about twenty devices, volumes on all 26 letters), a stressed one (2,000 devices,
// 64 KiB mount-table values) and sweeps over the device count, the letters scanned and
// the value size, each fitted to a complexity. The supported drive is the last device
// enumerated and its entry is on the last letter scanned, so every call walks everything.

#include "locator/CDAccess.h"
#include "locator/DriveIds.h"
#include "machine/Machine.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

constexpr char16_t kDriveId[] = u"IDE\\CDROMVELTRANO_DVD-RW_1.00\\5&1A2B3C&0&1.0.0";
constexpr char16_t kDrivePath[] =
    u"\\??\\IDE#CDROMVELTRANO_DVD-RW_1.00#5&1A2B3C&0&1.0.0#{53f56308-b6bf-11d0-94f2-00a0c91efb8b}";

struct Shape {
    int devices = 20;
    int letters = 26;
    size_t valueBytes = 96;
};

std::u16string Number(long value) {
    std::string text = std::to_string(value);
    return std::u16string(text.begin(), text.end());
}

std::u16string VolumeGuid(int index) {
    std::u16string digits = Number(100000 + index);
    return u"{00000000-0000-0000-0000-000000" + digits + u"}";
}

// Other devices, half on each interface class the search walks, then the drive.
void PlantDevices(Machine& machine, int devices) {
    for (int i = 0; i + 1 < devices; ++i) {
        if (i % 2 == 0) {
            std::u16string id = u"USB\\VID_1A2C&PID_" + Number(1000 + i) + u"\\6&" + Number(i);
            machine.PlantDevice(id, kGuidClassUsb);
            machine.PlantInterface(id, kGuidInterfaceUsbDevice);
        } else {
            std::u16string id = u"SCSI\\CDROM&VEN_OTHER&PROD_" + Number(i) + u"\\4&" + Number(i);
            machine.PlantDevice(id, kGuidClassCdrom);
            machine.PlantInterface(id, kGuidInterfaceCdrom);
        }
    }
    machine.PlantDevice(kDriveId, kGuidClassCdrom);
    machine.PlantInterface(kDriveId, kGuidInterfaceCdrom);
}

// A value of the given size that names no supported drive.
std::vector<uint8_t> OtherValue(size_t bytes, int seed) {
    std::vector<uint8_t> value(bytes);
    for (size_t i = 0; i < bytes; ++i) {
        value[i] = static_cast<uint8_t>(i % 2 == 0 ? 'A' + (i / 2 + seed) % 26 : 0);
    }
    return value;
}

// Volumes with entries on the first `letters` letters; the drive's is the last.
void PlantLetters(Machine& machine, int letters, size_t valueBytes) {
    for (int i = 0; i < letters; ++i) {
        auto letter = static_cast<char16_t>(u'A' + i);
        machine.PlantVolume(letter, VolumeGuid(i));
        std::vector<uint8_t> value = OtherValue(valueBytes, i);
        if (i + 1 == letters) {
            std::vector<uint8_t> path = Utf16Bytes(kDrivePath, false);
            value.resize(std::max(valueBytes, path.size()));
            std::copy(path.begin(), path.end(), value.begin());
        }
        machine.PlantValue(HKEY_LOCAL_MACHINE, u"SYSTEM\\MountedDevices",
                           u"\\??\\Volume" + VolumeGuid(i), REG_BINARY, value);
    }
}

void Resolve(benchmark::State& state, const Shape& shape) {
    Machine machine;
    PlantDevices(machine, shape.devices);
    PlantLetters(machine, shape.letters, shape.valueBytes);
    ScopedPlatform guard(machine);
    wchar16 expected = static_cast<wchar16>(u'A' + shape.letters - 1);
    for (auto _ : state) {
        wchar16 letter = 0;
        BOOL found = GetInternalDriveLetter(&letter);
        benchmark::DoNotOptimize(found);
        if (!found || letter != expected) {
            state.SkipWithError("the drive was not found at its letter");
            break;
        }
    }
}

void Realistic(benchmark::State& state) {
    Resolve(state, Shape{20, 26, 96});
}

void Stressed(benchmark::State& state) {
    Resolve(state, Shape{2000, 26, 64 * 1024});
}

void DeviceSweep(benchmark::State& state) {
    Resolve(state, Shape{static_cast<int>(state.range(0)), 26, 96});
    state.SetComplexityN(state.range(0));
}

void LetterSweep(benchmark::State& state) {
    Resolve(state, Shape{20, static_cast<int>(state.range(0)), 16 * 1024});
    state.SetComplexityN(state.range(0));
}

void ValueSizeSweep(benchmark::State& state) {
    Resolve(state, Shape{20, 26, static_cast<size_t>(state.range(0))});
    state.SetComplexityN(state.range(0));
}

} // namespace

BENCHMARK(Realistic)->Unit(benchmark::kMicrosecond);
BENCHMARK(Stressed)->Unit(benchmark::kMillisecond);
BENCHMARK(DeviceSweep)
    ->RangeMultiplier(2)
    ->Range(128, 4096)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(LetterSweep)
    ->DenseRange(2, 26, 4)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(ValueSizeSweep)
    ->RangeMultiplier(4)
    ->Range(1024, 64 * 1024)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
