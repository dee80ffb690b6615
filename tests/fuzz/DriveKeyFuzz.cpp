// Fuzzes drive key extraction from arbitrary instance IDs, into the key buffer the
// program uses (40 characters) or one of any other small capacity.

#include "FuzzSupport.h"

#include "locator/CDAccess.h"
#include "locator/DriveIds.h"
#include "machine/Machine.h"

namespace {

using fuzz::ExactBuffer;
using fuzz::Require;

// The platform only upper-cases text here.
Machine& TheMachine() {
    static Machine machine;
    static ScopedPlatform guard(machine);
    return machine;
}

ExactBuffer Terminated(const std::u16string& text) {
    ExactBuffer buffer(text.size() + 1);
    std::copy(text.begin(), text.end(), buffer.Data());
    buffer.Data()[text.size()] = 0;
    return buffer;
}

std::u16string Upper(std::u16string text) {
    text.push_back(0);
    TheMachine().CharUpperW(&text[0]);
    text.pop_back();
    return text;
}

std::u16string LowerAscii(std::u16string text) {
    for (char16_t& c : text) {
        if (c >= u'A' && c <= u'Z') {
            c = static_cast<char16_t>(c - u'A' + u'a');
        }
    }
    return text;
}

struct Extraction {
    BOOL found = FALSE;
    std::u16string key;
};

Extraction Extract(const std::u16string& instanceId, size_t capacity) {
    ExactBuffer id = Terminated(instanceId);
    ExactBuffer key(capacity);
    CCDAccess access;
    Extraction result;
    result.found = access.ExtractDriveKey(id.Data(), key.Data(), capacity);
    if (result.found) {
        Require(key.TerminatedWithin(capacity), "key not terminated within its capacity");
        result.key = key.Text();
    }
    return result;
}

bool IsPrefixOf(const std::u16string& text, const wchar16* whole) {
    return std::u16string(whole).compare(0, text.size(), text) == 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TheMachine();
    FuzzedDataProvider input(data, size);
    size_t capacity =
        input.ConsumeBool() ? kDriveKeyCapacity : input.ConsumeIntegralInRange<size_t>(1, 80);
    std::u16string instanceId = fuzz::CString(fuzz::Utf16(input.ConsumeRemainingBytesAsString()));

    Extraction extraction = Extract(instanceId, capacity);
    if (!extraction.found) {
        return 0;
    }
    const std::u16string& key = extraction.key;
    Require(key.find(u"#{") == std::u16string::npos, "key holds the interface GUID's start");
    // The key is text of the upper-cased ID (as far as the 259 characters searched), or
    // the "#" form of a supported IDE model.
    std::u16string searched = Upper(instanceId.substr(0, kInstanceIdCapacity - 1));
    Require(searched.find(key) != std::u16string::npos || IsPrefixOf(key, g_szIdeVeltranoPath) ||
                IsPrefixOf(key, g_szIdeSlimtypePath),
            "key is neither part of the ID nor a supported IDE model");
    // Instance IDs are matched ignoring case.
    Extraction lower = Extract(LowerAscii(instanceId), capacity);
    Require(lower.found && lower.key == key, "the lower-case ID gives another key");
    return 0;
}
