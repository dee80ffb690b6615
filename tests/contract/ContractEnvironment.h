#pragma once
// What the contract tests need from the system under test that the seam does not offer:
// installing the platform, another process's kernel objects, the facts the test prefix
// has (its volumes, its optical drive, its interface language) and unique scratch names.
// Each build links one implementation: native/ (the in-memory machine, planted to look
// like the Wine prefix that tests/wine/contract.sh prepares) or win32/ (the real adapter).

#include "platform/Platform.h"

#include <memory>
#include <string>

namespace contract {

// The optical drive the prefix has (tests/wine/lib.sh, wine_plant_drive ide e) and the
// machine is planted with: an IDE CD-ROM exposing the CD-ROM interface, at E:.
constexpr const wchar16* kOpticalDriveInstanceId =
    u"IDE\\CDROMVELTRANO_DVD-RW_1.00\\5&1A2B3C&0&1.0.0";
constexpr wchar16 kOpticalDriveLetter = u'E';

// The system one test runs against. Constructing it installs it as platform() for the
// test; destroying it ends what it holds and puts the previous platform back.
class ContractSystem {
public:
    ContractSystem();
    ~ContractSystem();
    ContractSystem(const ContractSystem&) = delete;
    ContractSystem& operator=(const ContractSystem&) = delete;

    // A named event that the code under test did not create, open while this system lives.
    void HoldForeignEvent(const std::u16string& name);
    // Plants a second optical drive that is not present (unplugged) and returns its
    // instance ID. Only the in-memory machine can; tests that need it skip under Wine.
    std::u16string PlantAbsentOpticalDrive();

private:
    struct Parts;
    std::unique_ptr<Parts> m_parts;
};

// True under Wine, where a few calls are known to differ from Windows.
bool RunsOnWine();

// A drive letter the system does not define.
wchar16 UndefinedDriveLetter();

} // namespace contract
