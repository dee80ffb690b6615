// Fuzz targets for the parsers. Buffers are heap blocks of exactly the capacity passed,
// so AddressSanitizer reports any write or read outside them.

#include "locator/DriveIds.h"
#include "locator/DriveRules.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

using std::u16string;

void Require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "fuzz check failed: %s\n", what);
        std::abort();
    }
}

// UTF-16 text without NULs, from the input's bytes.
u16string Text(FuzzedDataProvider& input, size_t maxBytes) {
    std::string bytes = input.ConsumeBytesAsString(maxBytes);
    u16string text(bytes.size() / 2, u'\0');
    std::memcpy(&text[0], bytes.data(), text.size() * 2);
    return text.substr(0, text.find(u'\0'));
}

std::unique_ptr<char16_t[]> Exact(size_t capacity) {
    return std::unique_ptr<char16_t[]>(new char16_t[capacity]);
}

[[maybe_unused]] u16string Upper(u16string text) {
    StrUpper(&text[0]);
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
#if defined(FUZZ_DRIVE_KEY)
    size_t capacity =
        input.ConsumeBool() ? kDriveKeyCapacity : input.ConsumeIntegralInRange<size_t>(1, 80);
    u16string id = Text(input, 700);
    auto key = Exact(capacity);
    if (!DriveKeyOf(id.c_str(), key.get(), capacity)) {
        return 0;
    }
    u16string found = key.get();
    Require(found.find(u"#{") == u16string::npos, "key holds the interface GUID's start");
    Require(Upper(id.substr(0, kInstanceIdCapacity - 1)).find(found) != u16string::npos ||
                found == g_szIdeVeltranoPath || found == g_szIdeSlimtypePath,
            "key is neither part of the ID nor a supported IDE model");
    u16string lower = id;
    for (char16_t& c : lower) {
        c = (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c;
    }
    auto again = Exact(capacity);
    Require(DriveKeyOf(lower.c_str(), again.get(), capacity) && found == again.get(),
            "the lower-case ID gives another key");
#elif defined(FUZZ_DVDRAM_ID)
    u16string value = Text(input, 1200);
    auto id = Exact(260);
    if (RebuildDvdRamId(value.c_str(), id.get(), 260)) {
        u16string rebuilt = id.get();
        Require(rebuilt.rfind(u"DVDRAM\\CDROM\\", 0) == 0 && Upper(rebuilt) == rebuilt,
                "the rebuilt ID is not an upper-case DVD-RAM ID");
    }
#elif defined(FUZZ_MOUNT_ENTRY)
    u16string key = Text(input, 2 * kDriveKeyCapacity - 2);
    std::string bytes = input.ConsumeRemainingBytesAsString();
    CMountEntry entry;
    Require(entry.Allocate(uint32_t(bytes.size())) == CMountEntry::Allocation::Ok, "no room");
    std::memcpy(entry.Bytes(), bytes.data(), bytes.size());
    auto dvdRamId = Exact(260);
    EntryMatch match = MatchMountEntry(entry.Text(), &key[0], dvdRamId.get(), 260);
    u16string text = entry.Text();
    Require(text.size() <= (bytes.size() + 1) / 2, "the entry reads past its data");
    if (match == EntryMatch::Yes) {
        Require((!key.empty() && text.find(key.c_str()) != u16string::npos) ||
                    text.find(g_szIdeVeltranoPath) != u16string::npos ||
                    text.find(g_szIdeSlimtypePath) != u16string::npos,
                "a match without the key or an IDE literal");
    }
#endif
    return 0;
}
