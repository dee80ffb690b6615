// The locator's decisions: supported IDs, the drive key, the DVD-RAM rebuild, mount-table
// entries and the letter resolution.

#include "locator/DriveRules.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>

namespace {

using std::u16string;

std::string Narrow(const u16string& text) {
    return std::string(text.begin(), text.end());
}

const u16string k39(39, u'K');
const u16string k40(40, u'K');

TEST(DriveIds, ContainedIdsAreCaseSensitivePrefixesAreNot) {
    EXPECT_TRUE(IsSupportedDriveId(u"SCSI\\X\\IDE\\CDROMSLIMTYPE"));
    EXPECT_TRUE(IsSupportedDriveId(u"USB\\VID_2B47&PID_0801\\SN"));
    EXPECT_FALSE(IsSupportedDriveId(u"ide\\cdromveltrano\\1"));
    EXPECT_TRUE(IsDvdRamDeviceId(u"dvdram\\cdrom\\6&1"));
    EXPECT_TRUE(IsSupportedIdeId(u"ide\\cdromslimtype_x\\1"));
}

TEST(DriveKey, Table) {
    struct Row {
        u16string id;
        bool found;
        u16string key; // what the buffer holds afterwards ("previous" when untouched)
    } rows[] = {
        {u"USB\\VID_2B47&PID_0A10\\SN000123", true, u"SN000123"},
        {u"USB\\VID_2B47&PID_0801\\" + k39, true, k39},
        {u"USB\\VID_2B47&PID_0801\\" + k40, false, k39},
        {u"USB\\VID_2B47&PID_0801\\AB#{CD", true, u"AB"},
        {u"usb\\vid_2b47&pid_0c21\\sn0a", true, u"SN0A"},
        {u"ide\\cdromslimtype_x\\1", true, u"IDE#CDROMSLIMTYPE"},
        // Fragments are tried in table order, not by position.
        {u"X\\VID_2B47&PID_0802\\FIRST\\VID_2B47&PID_0801\\SECOND", true, u"SECOND"},
        {u"USB\\VID_2B47&PID_0801\\" + k40 + u"\\IDE\\CDROMVELTRANO", true, u"IDE#CDROMVELTRANO"},
        {u"STORAGE#IDE#CDROMVELTRANO#1", true, u"IDE#CDROMVELTRANO"},
        {u"DVDRAM\\CDROM\\6&1f&0&0", true, u"6&1F&0&0"},
        {u"DVDRAM\\CDROM\\" + k40, false, k39},
        {u"IDE\\CDROMOTHER\\1", false, u"previous"},
    };
    for (const Row& row : rows) {
        char16_t szKey[kDriveKeyCapacity] = u"previous";
        EXPECT_EQ(DriveKeyOf(row.id.c_str(), szKey, kDriveKeyCapacity), row.found)
            << Narrow(row.id);
        EXPECT_EQ(u16string(szKey), row.key) << Narrow(row.id);
    }
}

TEST(DriveKey, NoRoomForAKeyIsNoKey) {
    char16_t szKey[1] = {u'x'};
    EXPECT_FALSE(DriveKeyOf(u"USB\\VID_2B47&PID_0801\\SN", szKey, 0));
    EXPECT_EQ(szKey[0], u'x');
}

TEST(DvdRamId, RebuiltFromTheMountPathWhenItFits) {
    char16_t szId[260];
    ASSERT_TRUE(RebuildDvdRamId(u"\\??\\DVDRAM#CDROM#6&1f&0&0#{53f56308-b6bf}", szId, 260));
    EXPECT_EQ(u16string(szId), u"DVDRAM\\CDROM\\6&1F&0&0");
    char16_t szShort[20];
    EXPECT_TRUE(RebuildDvdRamId(u"\\??\\DVDRAM#CDROM#123456", szShort, 20));
    EXPECT_FALSE(RebuildDvdRamId(u"\\??\\DVDRAM#CDROM#1234567", szShort, 20));
    EXPECT_FALSE(RebuildDvdRamId(u"\\??\\DVDRAM#CDROM#1", szShort, 13));
    // The working copy holds 261 characters: a longer value is cut before the rebuild.
    u16string longValue = u"\\??\\DVDRAM#CDROM#" + u16string(300, u'a');
    char16_t szLong[300];
    ASSERT_TRUE(RebuildDvdRamId(longValue.c_str(), szLong, 300));
    EXPECT_EQ(u16string(szLong).size(), 13u + 261u - 17u);
}

TEST(DriveKeyText, ComparedUpperCaseAndNeverForAnEmptyKey) {
    EXPECT_TRUE(TextHasDriveKey(u"ide\\cdromveltrano_x", u"IDE\\CDROMVELTRANO"));
    EXPECT_FALSE(TextHasDriveKey(u"IDE\\CDROMVELTRANO", u""));
}

TEST(MountEntry, SizesThatWouldWrapAreRefused) {
    EXPECT_TRUE(IsMountValueSizeAcceptable(0xFFFFFFF4u));
    EXPECT_FALSE(IsMountValueSizeAcceptable(0xFFFFFFF5u));
    CMountEntry entry;
    EXPECT_EQ(entry.Allocate(0xFFFFFFF5u), CMountEntry::Allocation::Refused);
}

EntryMatch Match(u16string text, u16string key, u16string* dvdRamId = nullptr) {
    char16_t szId[260] = u"";
    EntryMatch match = MatchMountEntry(&text[0], &key[0], szId, 260);
    if (dvdRamId != nullptr) {
        *dvdRamId = szId;
    }
    return match;
}

TEST(MountEntry, MatchesTheKeyAnIdeLiteralOrThroughADvdRamParent) {
    EXPECT_EQ(Match(u"\\??\\USBSTOR#CdRom&Ven_K#kv0123&0#{53f56308}", u"kv0123"), EntryMatch::Yes);
    EXPECT_EQ(Match(u"\\??\\IDE#CdRomVeltrano_DVD#5&1a#{53f56308}", u""), EntryMatch::Yes);
    EXPECT_EQ(Match(u"DMIO:ID:", u""), EntryMatch::No);
    u16string id;
    EXPECT_EQ(Match(u"\\??\\DVDRAM#CDROM#6&1f#{53f5}", u"NOMATCH", &id),
              EntryMatch::IfParentHasKey);
    EXPECT_EQ(id, u"DVDRAM\\CDROM\\6&1F");
}

// A machine's mount table: entries by letter, DVD-RAM devices whose parent has the key.
class CTableFacts : public CMountFacts {
public:
    std::map<char16_t, std::string> entries; // UTF-16LE bytes
    std::map<u16string, bool> parents;
    char16_t outOfMemoryAt = 0;
    u16string readOrder;

    void Put(char16_t letter, const u16string& text) {
        entries[letter] = std::string(reinterpret_cast<const char*>(text.data()), 2 * text.size());
    }
    Entry ReadEntry(wchar16 chLetter, CMountEntry& entry) override {
        readOrder += chLetter;
        if (chLetter == outOfMemoryAt) {
            return Entry::OutOfMemory;
        }
        auto found = entries.find(chLetter);
        if (found == entries.end()) {
            return Entry::Missing;
        }
        uint32_t cb = static_cast<uint32_t>(found->second.size());
        if (entry.Allocate(cb) != CMountEntry::Allocation::Ok) {
            return Entry::Missing;
        }
        std::memcpy(entry.Bytes(), found->second.data(), cb);
        return Entry::Read;
    }
    bool ParentHasDriveKey(const wchar16* pszDvdRamId) override { return parents[pszDvdRamId]; }
};

// The letter found; the result must say whether there is one.
char16_t Resolve(CTableFacts& facts, u16string key) {
    char16_t letter = u'?';
    bool found = ResolveDriveLetter(facts, &key[0], &letter);
    EXPECT_EQ(found, letter != 0);
    return letter;
}

TEST(DriveLetter, LettersAreTriedFromAToZUntilMemoryRunsOut) {
    CTableFacts facts;
    facts.Put(u'Z', u"\\??\\USBSTOR#X#SN1#{G}");
    EXPECT_EQ(Resolve(facts, u"SN1"), u'Z');
    EXPECT_EQ(facts.readOrder, u"ABCDEFGHIJKLMNOPQRSTUVWXYZ");
    EXPECT_EQ(Resolve(facts, u""), 0) << "the empty key matches nothing";
    facts.outOfMemoryAt = u'D';
    EXPECT_EQ(Resolve(facts, u"SN1"), 0);
}

TEST(DriveLetter, DvdRamEntryMatchesOnlyThroughItsParent) {
    CTableFacts facts;
    facts.Put(u'G', u"\\??\\DVDRAM#CDROM#6&1f#{G}");
    facts.Put(u'H', u"\\??\\DVDRAM#CDROM#7&2#{G}");
    facts.parents[u"DVDRAM\\CDROM\\7&2"] = true;
    EXPECT_EQ(Resolve(facts, u"IDE#CDROMVELTRANO"), u'H');
}

TEST(DriveLetter, OddAndUnterminatedDataIsReadSafely) {
    CTableFacts facts;
    facts.entries[u'D'] = std::string("\\\0?\0?\0", 7);
    facts.entries[u'E'] = std::string("S\0N\0", 4);
    EXPECT_EQ(Resolve(facts, u"SN"), u'E');
}

} // namespace
