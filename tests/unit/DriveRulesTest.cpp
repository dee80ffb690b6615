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

TEST(DriveIds, DirectTestsAreCaseSensitiveAndAnywhere) {
    struct Row {
        const char16_t* id;
        bool supported;
    } rows[] = {
        {u"IDE\\CDROMVELTRANO_DVD\\5&1", true}, {u"SCSI\\X\\IDE\\CDROMSLIMTYPE", true},
        {u"USB\\VID_2B47&PID_0C21\\SN", true},  {u"USB\\VID_2B47&PID_0A11\\SN", true},
        {u"ide\\cdromveltrano\\1", false},      {u"USB\\VID_2B47&PID_0C22\\SN", false},
        {u"IDE\\CDROMOTHER\\1", false},         {u"USB\\VID_2B47&PID_0801\\SN", true},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(IsSupportedDriveId(row.id), row.supported) << Narrow(row.id);
    }
}

TEST(DriveIds, DvdRamPrefixesAreAnchoredAndIgnoreCase) {
    EXPECT_TRUE(IsDvdRamDeviceId(u"dvdram\\cdrom\\6&1"));
    EXPECT_FALSE(IsDvdRamDeviceId(u"X\\DVDRAM\\CDROM\\6&1"));
    EXPECT_FALSE(IsDvdRamDeviceId(u"DVDRAM\\CDROM"));
    EXPECT_TRUE(IsSupportedIdeId(u"ide\\cdromslimtype_x\\1"));
    EXPECT_TRUE(IsSupportedIdeId(u"IDE\\CDROMVELTRANO"));
    EXPECT_FALSE(IsSupportedIdeId(u"X\\IDE\\CDROMVELTRANO"));
    EXPECT_FALSE(IsSupportedIdeId(u"IDE\\CDROMVELTRAN"));
}

TEST(DriveKey, Table) {
    const u16string kFiller(250, u'F');
    struct Row {
        u16string id;
        bool found;
        u16string key; // what the buffer holds afterwards ("previous" when untouched)
    } rows[] = {
        {u"USB\\VID_2B47&PID_0A10\\SN000123", true, u"SN000123"},
        {u"USB\\VID_2B47&PID_0801\\" + k39, true, k39},
        {u"USB\\VID_2B47&PID_0801\\" + k40, false, k39},
        {u"USB\\VID_2B47&PID_0801\\AB#{CD", true, u"AB"},
        {u"USB\\VID_2B47&PID_0801\\" + k39.substr(5) + u"#{" + k39, true, k39.substr(5)},
        {u"usb\\vid_2b47&pid_0c21\\sn0a", true, u"SN0A"},
        {u"ide\\cdromslimtype_x\\1", true, u"IDE#CDROMSLIMTYPE"},
        {u"IDE\\CDROMVELTRANO\\VID_2B47&PID_0802\\SN9", true, u"SN9"},
        // Fragments are tried in table order, not by position.
        {u"X\\VID_2B47&PID_0802\\FIRST\\VID_2B47&PID_0801\\SECOND", true, u"SECOND"},
        {u"VID_2B47&PID_0802\\A#{\\VID_2B47&PID_0801\\" + k40, true, u"A"},
        {u"USB\\VID_2B47&PID_0801\\" + k40 + u"\\IDE\\CDROMVELTRANO", true, u"IDE#CDROMVELTRANO"},
        {u"USB\\VID_2B47&PID_0A11", true, u""},
        {u"IDE\\CDROMSLIMTYPE_DVD\\5&1&0", true, u"IDE#CDROMSLIMTYPE"},
        {u"STORAGE#IDE#CDROMVELTRANO#1", true, u"IDE#CDROMVELTRANO"},
        {u"X#IDE#CDROMSLIMTYPE#1", true, u"IDE#CDROMSLIMTYPE"},
        {u"IDE\\CDROMSLIMTYPE\\IDE\\CDROMVELTRANO", true, u"IDE#CDROMVELTRANO"},
        {u"DVDRAM\\CDROM\\6&1f&0&0", true, u"6&1F&0&0"},
        {u"DVDRAM\\CDROM", true, u""},
        {u"DVDRAM\\CDROM\\" + k40, false, k39},
        {u"DVDRAM\\CDROM\\AB#{" + k40, true, u"AB"},
        {u"IDE\\CDROMOTHER\\1", false, u"previous"},
        // The ID is cut at 259 characters before the search.
        {kFiller + u"IDE\\CDROMVELTRANO", false, u"previous"},
        {kFiller.substr(8) + u"IDE\\CDROMVELTRANO", true, u"IDE#CDROMVELTRANO"},
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
    EXPECT_FALSE(DriveKeyOf(u"IDE\\CDROMVELTRANO", szKey, 0));
    EXPECT_EQ(szKey[0], u'x');
}

TEST(DvdRamId, RebuiltFromTheMountPath) {
    char16_t szId[260];
    ASSERT_TRUE(RebuildDvdRamId(u"\\??\\DVDRAM#CDROM#6&1f&0&0#{53f56308-b6bf}", szId, 260));
    EXPECT_EQ(u16string(szId), u"DVDRAM\\CDROM\\6&1F&0&0");
    ASSERT_TRUE(RebuildDvdRamId(u"\\??\\DVDRAM#CDROM#", szId, 260));
    EXPECT_EQ(u16string(szId), u"DVDRAM\\CDROM\\");
    // The text is taken to start with the path prefix, whatever it holds.
    ASSERT_TRUE(RebuildDvdRamId(u"0123456789ABCDEFGhij#{x", szId, 260));
    EXPECT_EQ(u16string(szId), u"DVDRAM\\CDROM\\HIJ");
}

TEST(DvdRamId, ANameThatDoesNotFitIsRefused) {
    char16_t szId[20];
    EXPECT_TRUE(RebuildDvdRamId(u"\\??\\DVDRAM#CDROM#123456", szId, 20));
    EXPECT_FALSE(RebuildDvdRamId(u"\\??\\DVDRAM#CDROM#1234567", szId, 20));
    EXPECT_FALSE(RebuildDvdRamId(u"\\??\\DVDRAM#CDROM#1", szId, 13));
    // The working copy holds 261 characters: a longer value is cut before the rebuild.
    u16string longValue = u"\\??\\DVDRAM#CDROM#" + u16string(300, u'a');
    char16_t szLong[300];
    ASSERT_TRUE(RebuildDvdRamId(longValue.c_str(), szLong, 300));
    EXPECT_EQ(u16string(szLong).size(), 13u + 261u - 17u);
}

TEST(DriveKeyText, ComparedUpperCaseAndNeverForAnEmptyKey) {
    EXPECT_TRUE(TextHasDriveKey(u"ide\\cdromveltrano_x", u"IDE\\CDROMVELTRANO"));
    EXPECT_FALSE(TextHasDriveKey(u"IDE\\CDROMVELTRANO", u""));
    EXPECT_FALSE(TextHasDriveKey(u"PCI\\X", u"IDE"));
}

TEST(MountEntry, DataAlwaysReadsAsTerminatedText) {
    for (uint32_t cb : {0u, 1u, 5u, 6u, 255u}) {
        CMountEntry entry;
        ASSERT_EQ(entry.Allocate(cb), CMountEntry::Allocation::Ok);
        std::memset(entry.Bytes(), 'A', cb);
        // An odd count ends in half a character, completed by a zero byte.
        EXPECT_EQ(u16string(entry.Text()).size(), (cb + 1) / 2) << cb;
    }
}

TEST(MountEntry, SizesThatWouldWrapAreRefused) {
    EXPECT_TRUE(IsMountValueSizeAcceptable(0xFFFFFFF4u));
    EXPECT_FALSE(IsMountValueSizeAcceptable(0xFFFFFFF5u));
    CMountEntry entry;
    EXPECT_EQ(entry.Allocate(0xFFFFFFF5u), CMountEntry::Allocation::Refused);
    EXPECT_EQ(entry.Text(), nullptr);
}

EntryMatch Match(u16string text, u16string key, u16string* dvdRamId = nullptr) {
    char16_t szId[260] = u"";
    EntryMatch match = MatchMountEntry(&text[0], &key[0], szId, 260);
    if (dvdRamId != nullptr) {
        *dvdRamId = szId;
    }
    return match;
}

TEST(MountEntry, MatchTable) {
    const u16string kIdePath = u"\\??\\IDE#CdRomVeltrano_DVD#5&1a#{53f56308}";
    const u16string kUsbPath = u"\\??\\USBSTOR#CdRom&Ven_K#kv0123&0#{53f56308}";
    EXPECT_EQ(Match(kUsbPath, u"kv0123"), EntryMatch::Yes);
    EXPECT_EQ(Match(kUsbPath, u"KV0124"), EntryMatch::No);
    EXPECT_EQ(Match(u"\\??\\X#Q#{G}", u"q"), EntryMatch::Yes);
    EXPECT_EQ(Match(kIdePath, u""), EntryMatch::Yes);
    EXPECT_EQ(Match(u"\\??\\IDE#CDROMSLIMTYPE#1", u"OTHER"), EntryMatch::Yes);
    EXPECT_EQ(Match(u"\\??\\IDE#CDROMOTHER#1", u""), EntryMatch::No);
    EXPECT_EQ(Match(u"DMIO:ID:", u""), EntryMatch::No);
    u16string id;
    EXPECT_EQ(Match(u"\\??\\DVDRAM#CDROM#6&1f#{53f5}", u"NOMATCH", &id),
              EntryMatch::IfParentHasKey);
    EXPECT_EQ(id, u"DVDRAM\\CDROM\\6&1F");
    // The key is tested before the DVD-RAM path, so a key match needs no parent check.
    EXPECT_EQ(Match(u"\\??\\DVDRAM#CDROM#6&1f#{53f5}", u"6&1F"), EntryMatch::Yes);
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

TEST(DriveLetter, LettersAreTriedFromAToZAndTheFirstMatchWins) {
    CTableFacts facts;
    facts.Put(u'Z', u"\\??\\USBSTOR#X#SN1#{G}");
    EXPECT_EQ(Resolve(facts, u"SN1"), u'Z');
    EXPECT_EQ(facts.readOrder, u"ABCDEFGHIJKLMNOPQRSTUVWXYZ");
    EXPECT_EQ(Resolve(facts, u""), 0) << "the empty key matches nothing";
    // An IDE literal matches whatever the key, so a lower letter beats the USB key.
    facts.Put(u'E', u"\\??\\IDE#CDROMSLIMTYPE#1");
    facts.Put(u'F', u"\\??\\IDE#CDROMVELTRANO#1");
    EXPECT_EQ(Resolve(facts, u"sn1"), u'E');
    facts.outOfMemoryAt = u'D';
    facts.readOrder.clear();
    EXPECT_EQ(Resolve(facts, u"SN1"), 0) << "out of memory ends the search";
    EXPECT_EQ(facts.readOrder, u"ABCD");
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
