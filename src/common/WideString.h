#pragma once
// Bounded UTF-16 string helpers. Every destination is sized in characters, the
// terminating NUL included, and is always left NUL-terminated.

#include <cstddef>
#include <cstdint>

using wchar16 = char16_t;

// Capacities above this are taken as a corrupted size and refused.
constexpr size_t kMaxStringCapacity = 0x7FFFFFFF;

enum class StrResult {
    Ok,
    InsufficientBuffer, // text cut to capacity - 1 characters
    InvalidArgument, // capacity 0 or above kMaxStringCapacity, or a null pointer; nothing written
};

inline bool Succeeded(StrResult result) {
    return result == StrResult::Ok;
}

size_t StrLen(const wchar16* text);

StrResult StrCopy(wchar16* dest, size_t capacity, const wchar16* source);
StrResult StrCat(wchar16* dest, size_t capacity, const wchar16* source);

// printf-style formatting. Conversions: %c (a character passed as int), %s (a
// wchar16 string), %d, %i, %u, %x, %X, %%; flags '-' and '0' and a decimal width.
// %l and %h length prefixes are accepted and ignored. An unknown conversion is
// refused as an invalid argument.
StrResult StrPrintf(wchar16* dest, size_t capacity, const wchar16* format, ...);

// Compares up to count characters ignoring ASCII case; like strncmp, returns <0, 0 or >0.
int StrCmpNI(const wchar16* left, const wchar16* right, size_t count);

// Upper-cases ASCII letters in place. The identifiers compared this way (device IDs,
// mount-table paths) are ASCII, for which every upper-case mapping gives the same result.
void StrUpper(wchar16* text);

// First occurrence of needle in haystack, or nullptr. An empty needle matches at the start.
const wchar16* StrStr(const wchar16* haystack, const wchar16* needle);
wchar16* StrStr(wchar16* haystack, const wchar16* needle);
