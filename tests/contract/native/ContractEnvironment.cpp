// The native build's system under test: a fresh in-memory machine per test, planted with
// what the Wine prefix of tests/wine/contract.sh has.

#include "contract/ContractEnvironment.h"
#include "contract/ContractSupport.h"
#include "machine/Machine.h"

namespace contract {

namespace {

// Windows puts a drive under its IDE channel; Wine's device tree has no parents to show.
constexpr const wchar16* kIdeChannelInstanceId = u"PCIIDE\\IDECHANNEL\\4&2B3C4D5E&0&1";
constexpr const wchar16* kIdeControllerClass = u"{4D36E96A-E325-11CE-BFC1-08002BE10318}";
constexpr const wchar16* kAbsentDriveInstanceId =
    u"IDE\\CDROMVELTRANO_DVD-RW_1.00\\5&1A2B3C&0&0.1.0";

// Wine names a drive's volume {00000000-0000-0000-0000-0000000000XX}, XX the letter's code.
std::u16string WineVolumeGuid(wchar16 letter) {
    const char16_t* digits = u"0123456789abcdef";
    std::u16string guid = u"{00000000-0000-0000-0000-0000000000";
    guid += digits[(letter >> 4) & 0xF];
    guid += digits[letter & 0xF];
    return guid + u"}";
}

void PlantPrefixFacts(Machine& machine) {
    machine.uiLanguage = InterfaceLanguage();
    machine.PlantVolume(u'C', WineVolumeGuid(u'C'));
    // The tests look at the form of C:'s target, not its text, which Wine words its own way.
    machine.PlantDosDevice(u"C:", u"\\Device\\HarddiskVolume1");
    machine.PlantDevice(kIdeChannelInstanceId, ParseGuid(kIdeControllerClass));
    machine.PlantDevice(kOpticalDriveInstanceId, kGuidClassCdrom, kIdeChannelInstanceId);
    machine.PlantInterface(kOpticalDriveInstanceId, kGuidInterfaceCdrom);
    machine.PlantMountedDevice(kOpticalDriveLetter, WineVolumeGuid(kOpticalDriveLetter),
                               u"\\??\\IDE#CDROMVELTRANO_DVD-RW_1.00#5&1a2b3c&0&1.0.0#"
                               u"{53f56308-b6bf-11d0-94f2-00a0c91efb8b}");
}

} // namespace

struct ContractSystem::Parts {
    Machine machine;
    ScopedPlatform installed{machine};
};

ContractSystem::ContractSystem() : m_parts(std::make_unique<Parts>()) {
    PlantPrefixFacts(m_parts->machine);
}

ContractSystem::~ContractSystem() = default;

void ContractSystem::HoldForeignEvent(const std::u16string& name) {
    m_parts->machine.PlantForeignEvent(name);
}

std::u16string ContractSystem::PlantAbsentOpticalDrive() {
    Machine& machine = m_parts->machine;
    machine.PlantDevice(kAbsentDriveInstanceId, kGuidClassCdrom, kIdeChannelInstanceId, false);
    machine.PlantInterface(kAbsentDriveInstanceId, kGuidInterfaceCdrom);
    return kAbsentDriveInstanceId;
}

bool RunsOnWine() {
    return false;
}

wchar16 UndefinedDriveLetter() {
    return u'Q';
}

} // namespace contract
