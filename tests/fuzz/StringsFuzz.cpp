// Fuzzes the bounded string helpers. Copy, append and format write into destinations of
// any capacity: 0, small, and at or above the signed 32-bit limit. Each destination is
// exactly as large as the capacity (or, for capacities too large to allocate, as the
// whole result), so AddressSanitizer reports any character written outside. The result
// must be the whole text cut to capacity - 1 characters, and nothing past its
// terminator may change. Search and comparison are checked against the standard library.

#include "FuzzSupport.h"

#include <algorithm>
#include <cstdint>

namespace {

using fuzz::ExactBuffer;
using fuzz::Require;

constexpr size_t kLargestSmallCapacity = 600;

size_t ConsumeCapacity(FuzzedDataProvider& input) {
    static constexpr size_t kBoundaries[] = {
        0,          1,           2,       kMaxStringCapacity - 1, kMaxStringCapacity, 0x80000000,
        0xFFFFFFFF, 0x100000000, SIZE_MAX};
    if (input.ConsumeBool()) {
        return input.PickValueInArray(kBoundaries);
    }
    return input.ConsumeIntegralInRange<size_t>(0, kLargestSmallCapacity);
}

bool IsValidCapacity(size_t capacity) {
    return capacity != 0 && capacity <= kMaxStringCapacity;
}

// A capacity too large to allocate is backed by room for the whole result only.
size_t AllocationFor(size_t capacity, size_t resultLength) {
    return capacity <= kLargestSmallCapacity ? capacity : resultLength + 1;
}

// The destination after a bounded write whose uncut result would be whole.
void CheckBoundedWrite(const ExactBuffer& buffer, const std::u16string& before, size_t capacity,
                       const std::u16string& whole, StrResult result) {
    if (!IsValidCapacity(capacity)) {
        Require(result == StrResult::InvalidArgument, "invalid capacity accepted");
        Require(buffer.Contents() == before, "refused call wrote to the destination");
        return;
    }
    size_t kept = std::min(whole.size(), capacity - 1);
    bool fits = kept == whole.size();
    Require(result == (fits ? StrResult::Ok : StrResult::InsufficientBuffer), "wrong result code");
    std::u16string after = buffer.Contents();
    Require(after.compare(0, kept, whole, 0, kept) == 0, "result is not the cut text");
    Require(after[kept] == 0, "result not terminated after the kept text");
    Require(after.compare(kept + 1, std::u16string::npos, before, kept + 1) == 0,
            "characters after the terminator changed");
}

void FuzzCopy(FuzzedDataProvider& input) {
    size_t capacity = ConsumeCapacity(input);
    std::u16string source = fuzz::ConsumeText(input);
    ExactBuffer buffer(AllocationFor(capacity, source.size()));
    std::u16string before = buffer.Contents();
    StrResult result = StrCopy(buffer.Data(), capacity, source.c_str());
    CheckBoundedWrite(buffer, before, capacity, source, result);
}

void FuzzAppend(FuzzedDataProvider& input) {
    size_t capacity = ConsumeCapacity(input);
    bool unterminated = capacity > 0 && capacity <= kLargestSmallCapacity && input.ConsumeBool();
    std::u16string start = fuzz::ConsumeText(input);
    std::u16string source = fuzz::ConsumeText(input);
    if (unterminated) {
        // No NUL within the capacity: there is nothing safe to append to.
        ExactBuffer buffer(capacity);
        for (size_t i = 0; i < capacity; ++i) {
            buffer.Data()[i] = i < start.size() ? start[i] : u'U';
        }
        std::u16string before = buffer.Contents();
        Require(StrCat(buffer.Data(), capacity, source.c_str()) == StrResult::InvalidArgument,
                "unterminated destination accepted");
        Require(buffer.Contents() == before, "unterminated destination was written");
        return;
    }
    if (IsValidCapacity(capacity)) {
        start.resize(std::min(start.size(), capacity - 1));
    }
    ExactBuffer buffer(AllocationFor(capacity, start.size() + source.size()));
    if (buffer.Count() > start.size()) {
        std::copy(start.begin(), start.end(), buffer.Data());
        buffer.Data()[start.size()] = 0;
    }
    std::u16string before = buffer.Contents();
    StrResult result = StrCat(buffer.Data(), capacity, source.c_str());
    CheckBoundedWrite(buffer, before, capacity, start + source, result);
}

// Formatting: the harness must pass arguments of the types the conversions read, so it
// follows the helper's grammar (flags '-' and '0', a width the helper stops reading at
// 4096 or more, %l and %h prefixes) to find the first three argument conversions, and
// cuts the format after the third.
struct FormatArgument {
    bool isText = false;
    int number = 0;
    const wchar16* text = nullptr;
};

// Adds the field's width to widths.
const wchar16* SkipFieldFormat(const wchar16* f, size_t& widths) {
    while (*f == u'-' || *f == u'0') {
        ++f;
    }
    size_t width = 0;
    while (*f >= u'0' && *f <= u'9' && width < 4096) {
        width = width * 10 + static_cast<size_t>(*f++ - u'0');
    }
    while (*f == u'l' || *f == u'h') {
        ++f;
    }
    widths += width;
    return f;
}

// Finds the kinds of the argument conversions (at most three), cuts the format after the
// third and returns the sum of the field widths.
size_t PrepareFormat(std::u16string& format, bool (&isText)[3]) {
    size_t count = 0;
    size_t widths = 0;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] != u'%') {
            continue;
        }
        const wchar16* conversion = SkipFieldFormat(format.c_str() + i + 1, widths);
        i = static_cast<size_t>(conversion - format.c_str());
        wchar16 c = *conversion;
        if (c == u'%') {
            continue;
        }
        bool takesArgument =
            c == u's' || c == u'c' || c == u'd' || c == u'i' || c == u'u' || c == u'x' || c == u'X';
        if (!takesArgument) {
            break; // the helper stops at an unknown conversion
        }
        isText[count++] = c == u's';
        if (count == 3) {
            format.resize(i + 1);
            break;
        }
    }
    return widths;
}

template <size_t Index = 0, typename... Collected>
StrResult FormatWith(wchar16* dest, size_t capacity, const wchar16* format,
                     const FormatArgument (&args)[3], Collected... collected) {
    if constexpr (Index == 3) {
        return StrPrintf(dest, capacity, format, collected...);
    } else if (args[Index].isText) {
        return FormatWith<Index + 1>(dest, capacity, format, args, collected..., args[Index].text);
    } else {
        return FormatWith<Index + 1>(dest, capacity, format, args, collected...,
                                     args[Index].number);
    }
}

void FuzzFormat(FuzzedDataProvider& input) {
    size_t capacity = ConsumeCapacity(input);
    std::u16string format = fuzz::ConsumeText(input, 512);
    std::u16string texts[3];
    FormatArgument args[3];
    for (size_t i = 0; i < 3; ++i) {
        args[i].number = input.ConsumeIntegral<int>();
        texts[i] = fuzz::ConsumeText(input, 256);
    }
    bool isText[3] = {};
    size_t widths = PrepareFormat(format, isText);
    for (size_t i = 0; i < 3; ++i) {
        args[i].isText = isText[i];
        args[i].text = texts[i].c_str();
    }
    // Each field is as wide as its width or its text (at most 128 characters, or a number).
    size_t roomy = format.size() + widths + 3 * (128 + 24) + 1;
    ExactBuffer whole(roomy);
    StrResult wholeResult = FormatWith(whole.Data(), roomy, format.c_str(), args);
    Require(wholeResult != StrResult::InsufficientBuffer, "roomy buffer too small");

    // A refused format still writes what came before the bad conversion.
    size_t needed = wholeResult == StrResult::Ok ? whole.Text().size() : roomy;
    ExactBuffer buffer(AllocationFor(capacity, needed));
    std::u16string before = buffer.Contents();
    StrResult result = FormatWith(buffer.Data(), capacity, format.c_str(), args);
    if (wholeResult == StrResult::InvalidArgument && IsValidCapacity(capacity)) {
        Require(result == StrResult::InvalidArgument, "bad format accepted with less room");
        Require(buffer.Data()[0] == 0, "bad format left text behind");
        return;
    }
    CheckBoundedWrite(buffer, before, capacity, whole.Text(), result);
}

// Text in an exactly sized buffer, so a read past its terminator is reported.
ExactBuffer Terminated(const std::u16string& text) {
    ExactBuffer buffer(text.size() + 1);
    std::copy(text.begin(), text.end(), buffer.Data());
    buffer.Data()[text.size()] = 0;
    return buffer;
}

std::u16string FoldedAscii(std::u16string text) {
    for (char16_t& c : text) {
        if (c >= u'a' && c <= u'z') {
            c = static_cast<char16_t>(c - u'a' + u'A');
        }
    }
    return text;
}

int Sign(int value) {
    return (value > 0) - (value < 0);
}

void FuzzCompare(FuzzedDataProvider& input) {
    size_t count = input.ConsumeBool() ? input.ConsumeIntegralInRange<size_t>(0, 64)
                                       : input.ConsumeIntegral<size_t>();
    std::u16string left = fuzz::ConsumeText(input, 256);
    std::u16string right = fuzz::ConsumeText(input, 256);
    ExactBuffer leftBuffer = Terminated(left);
    ExactBuffer rightBuffer = Terminated(right);
    int result = StrCmpNI(leftBuffer.Data(), rightBuffer.Data(), count);
    int expected = FoldedAscii(left.substr(0, count)).compare(FoldedAscii(right.substr(0, count)));
    Require(Sign(result) == Sign(expected), "comparison disagrees with the folded compare");
    Require(Sign(StrCmpNI(rightBuffer.Data(), leftBuffer.Data(), count)) == -Sign(result),
            "comparison is not antisymmetric");
}

void FuzzSearch(FuzzedDataProvider& input) {
    std::u16string needle = fuzz::ConsumeText(input, 64);
    std::u16string haystack = fuzz::ConsumeText(input);
    ExactBuffer haystackBuffer = Terminated(haystack);
    ExactBuffer needleBuffer = Terminated(needle);
    const wchar16* found =
        StrStr(static_cast<const wchar16*>(haystackBuffer.Data()), needleBuffer.Data());
    size_t expected = haystack.find(needle);
    if (expected == std::u16string::npos) {
        Require(found == nullptr, "search found text that is not there");
    } else {
        Require(found == haystackBuffer.Data() + expected, "search missed the first occurrence");
    }
    Require(StrLen(haystackBuffer.Data()) == haystack.size(), "length is wrong");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    switch (input.ConsumeIntegralInRange<int>(0, 4)) {
    case 0:
        FuzzCopy(input);
        break;
    case 1:
        FuzzAppend(input);
        break;
    case 2:
        FuzzFormat(input);
        break;
    case 3:
        FuzzCompare(input);
        break;
    default:
        FuzzSearch(input);
        break;
    }
    return 0;
}
