#include "common/WideString.h"

#include <cstdarg>

namespace {

bool IsValidCapacity(size_t capacity) {
    return capacity != 0 && capacity <= kMaxStringCapacity;
}

wchar16 FoldAscii(wchar16 c) {
    return (c >= u'a' && c <= u'z') ? wchar16(c - (u'a' - u'A')) : c;
}

// Appends characters to a fixed buffer, cutting at capacity - 1 and remembering the cut.
class BoundedWriter {
public:
    BoundedWriter(wchar16* dest, size_t capacity, size_t start)
        : m_dest(dest), m_capacity(capacity), m_length(start) {}

    void Put(wchar16 c) {
        if (m_length + 1 < m_capacity) {
            m_dest[m_length++] = c;
        } else {
            m_truncated = true;
        }
    }
    void Put(const wchar16* text) {
        while (*text != 0 && !m_truncated) {
            Put(*text++);
        }
    }
    StrResult Finish() {
        m_dest[m_length] = 0;
        return m_truncated ? StrResult::InsufficientBuffer : StrResult::Ok;
    }

private:
    wchar16* m_dest;
    size_t m_capacity;
    size_t m_length;
    bool m_truncated = false;
};

struct FieldFormat {
    bool leftAlign = false;
    bool zeroPad = false;
    size_t width = 0;
};

void PutPadded(BoundedWriter& out, const FieldFormat& field, const wchar16* text) {
    size_t length = StrLen(text);
    size_t padding = field.width > length ? field.width - length : 0;
    wchar16 pad = (field.zeroPad && !field.leftAlign) ? u'0' : u' ';
    // Zero padding goes after a sign, as printf does.
    if (pad == u'0' && *text == u'-') {
        out.Put(*text++);
    }
    for (size_t i = 0; !field.leftAlign && i < padding; ++i) {
        out.Put(pad);
    }
    out.Put(text);
    for (size_t i = 0; field.leftAlign && i < padding; ++i) {
        out.Put(u' ');
    }
}

// Writes the digits of value in the given base into a small buffer; returns its start.
wchar16* FormatUnsigned(wchar16 (&buffer)[24], uint32_t value, unsigned base, bool upper,
                        bool negative) {
    const char* digits = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    wchar16* p = buffer + 23;
    *p = 0;
    do {
        *--p = static_cast<wchar16>(digits[value % base]);
        value /= base;
    } while (value != 0);
    if (negative) {
        *--p = u'-';
    }
    return p;
}

const wchar16* ParseFieldFormat(const wchar16* f, FieldFormat& field) {
    for (;; ++f) {
        if (*f == u'-') {
            field.leftAlign = true;
        } else if (*f == u'0') {
            field.zeroPad = true;
        } else {
            break;
        }
    }
    while (*f >= u'0' && *f <= u'9' && field.width < 4096) {
        field.width = field.width * 10 + static_cast<size_t>(*f++ - u'0');
    }
    while (*f == u'l' || *f == u'h') {
        ++f;
    }
    return f;
}

bool FormatOne(BoundedWriter& out, wchar16 conversion, const FieldFormat& field, va_list& args) {
    wchar16 buffer[24];
    switch (conversion) {
    case u'%':
        out.Put(u'%');
        return true;
    case u'c': {
        wchar16 text[2] = {static_cast<wchar16>(va_arg(args, int)), 0};
        PutPadded(out, field, text);
        return true;
    }
    case u's': {
        const wchar16* text = va_arg(args, const wchar16*);
        PutPadded(out, field, text != nullptr ? text : u"(null)");
        return true;
    }
    case u'd':
    case u'i': {
        int value = va_arg(args, int);
        uint32_t magnitude = value < 0 ? 0u - static_cast<uint32_t>(value) : uint32_t(value);
        PutPadded(out, field, FormatUnsigned(buffer, magnitude, 10, false, value < 0));
        return true;
    }
    case u'u':
        PutPadded(out, field, FormatUnsigned(buffer, va_arg(args, unsigned), 10, false, false));
        return true;
    case u'x':
    case u'X':
        PutPadded(out, field,
                  FormatUnsigned(buffer, va_arg(args, unsigned), 16, conversion == u'X', false));
        return true;
    default:
        return false;
    }
}

} // namespace

size_t StrLen(const wchar16* text) {
    size_t length = 0;
    while (text[length] != 0) {
        ++length;
    }
    return length;
}

StrResult StrCopy(wchar16* dest, size_t capacity, const wchar16* source) {
    if (dest == nullptr || source == nullptr || !IsValidCapacity(capacity)) {
        return StrResult::InvalidArgument;
    }
    BoundedWriter out(dest, capacity, 0);
    out.Put(source);
    return out.Finish();
}

StrResult StrCat(wchar16* dest, size_t capacity, const wchar16* source) {
    if (dest == nullptr || source == nullptr || !IsValidCapacity(capacity)) {
        return StrResult::InvalidArgument;
    }
    size_t length = 0;
    while (length < capacity && dest[length] != 0) {
        ++length;
    }
    if (length == capacity) {
        // The destination is not terminated within its capacity: nothing safe to append to.
        return StrResult::InvalidArgument;
    }
    BoundedWriter out(dest, capacity, length);
    out.Put(source);
    return out.Finish();
}

StrResult StrPrintf(wchar16* dest, size_t capacity, const wchar16* format, ...) {
    if (dest == nullptr || format == nullptr || !IsValidCapacity(capacity)) {
        return StrResult::InvalidArgument;
    }
    BoundedWriter out(dest, capacity, 0);
    va_list args;
    va_start(args, format);
    bool valid = true;
    for (const wchar16* f = format; *f != 0; ++f) {
        if (*f != u'%') {
            out.Put(*f);
            continue;
        }
        FieldFormat field;
        f = ParseFieldFormat(f + 1, field);
        if (*f == 0 || !FormatOne(out, *f, field, args)) {
            valid = false;
            break;
        }
    }
    va_end(args);
    StrResult result = out.Finish();
    if (!valid) {
        dest[0] = 0;
        return StrResult::InvalidArgument;
    }
    return result;
}

int StrCmpNI(const wchar16* left, const wchar16* right, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        wchar16 l = FoldAscii(left[i]);
        wchar16 r = FoldAscii(right[i]);
        if (l != r) {
            return l < r ? -1 : 1;
        }
        if (l == 0) {
            return 0;
        }
    }
    return 0;
}

void StrUpper(wchar16* text) {
    for (; *text != 0; ++text) {
        *text = FoldAscii(*text);
    }
}

const wchar16* StrStr(const wchar16* haystack, const wchar16* needle) {
    size_t needleLength = StrLen(needle);
    for (const wchar16* start = haystack;; ++start) {
        size_t i = 0;
        while (i < needleLength && start[i] == needle[i]) {
            ++i;
        }
        if (i == needleLength) {
            return start;
        }
        if (*start == 0) {
            return nullptr;
        }
    }
}

wchar16* StrStr(wchar16* haystack, const wchar16* needle) {
    return const_cast<wchar16*>(StrStr(static_cast<const wchar16*>(haystack), needle));
}
