// Fuzzes the rebuild of a DVD-RAM driver device's instance ID from arbitrary mount-table
// text, into the buffer the program uses or one of any other capacity.

#include "FuzzSupport.h"

#include "locator/CDAccess.h"
#include "locator/DriveIds.h"
#include "machine/Machine.h"

namespace {

using fuzz::ExactBuffer;
using fuzz::Require;

// The program's buffer for the rebuilt ID, and the most room a rebuild can need: the
// 13-character enumerator prefix, what follows the 17-character path prefix in a
// working copy of at most 261 characters, and the NUL.
constexpr size_t kProgramCapacity = 260;
constexpr size_t kLongestRebuild = 13 + (261 - 17) + 1;

Machine& TheMachine() {
    static Machine machine;
    static ScopedPlatform guard(machine);
    return machine;
}

std::u16string Upper(std::u16string text) {
    text.push_back(0);
    TheMachine().CharUpperW(&text[0]);
    text.pop_back();
    return text;
}

size_t ConsumeCapacity(FuzzedDataProvider& input) {
    switch (input.ConsumeIntegralInRange<int>(0, 2)) {
    case 0:
        return kProgramCapacity;
    case 1:
        return kLongestRebuild;
    default:
        return input.ConsumeIntegralInRange<size_t>(1, 300);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TheMachine();
    FuzzedDataProvider input(data, size);
    size_t capacity = ConsumeCapacity(input);
    std::u16string text = fuzz::CString(fuzz::Utf16(input.ConsumeRemainingBytesAsString()));
    ExactBuffer textBuffer(text.size() + 1);
    std::copy(text.begin(), text.end(), textBuffer.Data());
    textBuffer.Data()[text.size()] = 0;
    ExactBuffer id(capacity);

    CCDAccess access;
    BOOL rebuilt = access.ExtractDvdRamInstanceId(textBuffer.Data(), id.Data(), capacity);
    Require(id.TerminatedWithin(capacity), "instance ID not terminated within its capacity");
    if (capacity >= kLongestRebuild) {
        Require(rebuilt, "a rebuild that fits was refused");
    }
    if (!rebuilt) {
        return 0;
    }
    std::u16string result = id.Text();
    std::u16string prefix(g_szDvdRamIdPrefix);
    Require(result.compare(0, prefix.size(), prefix) == 0, "rebuilt ID lacks the enumerator");
    std::u16string tail = result.substr(prefix.size());
    Require(tail.find(u"#{") == std::u16string::npos, "rebuilt ID holds the interface GUID");
    Require(Upper(text).find(tail) != std::u16string::npos, "rebuilt ID is not from the text");
    Require(Upper(result) == result, "rebuilt ID is not upper case");
    return 0;
}
