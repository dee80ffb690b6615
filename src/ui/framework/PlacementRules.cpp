#include "ui/framework/PlacementRules.h"

#include <algorithm>

namespace {

// The dialog styles that place a dialog without the framework (winuser.h's values).
constexpr uint32_t kAbsAlign = 0x0001;
constexpr uint32_t kCentre = 0x0800;
constexpr uint32_t kCentreMouse = 0x1000;

// DLGTEMPLATEEX begins with version 1 and signature 0xFFFF; its style is at byte 12 and its
// position at 18. DLGTEMPLATE has its style at byte 0 and its position at 10.
constexpr size_t kExStyleOffset = 12;
constexpr size_t kExPositionOffset = 18;
constexpr size_t kStyleOffset = 0;
constexpr size_t kPositionOffset = 10;

uint32_t ReadLittleEndian(const uint8_t* pBytes, size_t cbValue) {
    uint32_t value = 0;
    for (size_t i = cbValue; i > 0; --i) {
        value = (value << 8) | pBytes[i - 1];
    }
    return value;
}

bool IsExtendedTemplate(const uint8_t* pTemplate, size_t cbTemplate) {
    return cbTemplate >= 4 && ReadLittleEndian(pTemplate, 2) == 1 &&
           ReadLittleEndian(pTemplate + 2, 2) == 0xFFFF;
}

long Width(const CBox& box) {
    return box.right - box.left;
}

long Height(const CBox& box) {
    return box.bottom - box.top;
}

// The start that centres a length over a span, moved inside the limits where it can be.
long CentredStart(long length, long overStart, long overLength, long limitStart, long limitEnd) {
    long start = overStart + (overLength - length) / 2;
    return std::max(limitStart, std::min(start, limitEnd - length));
}

} // namespace

bool IsPlacedByFramework(const uint8_t* pTemplate, size_t cbTemplate) {
    bool bExtended = IsExtendedTemplate(pTemplate, cbTemplate);
    size_t styleOffset = bExtended ? kExStyleOffset : kStyleOffset;
    size_t positionOffset = bExtended ? kExPositionOffset : kPositionOffset;
    if (cbTemplate < positionOffset + 4) {
        return false;
    }
    uint32_t style = ReadLittleEndian(pTemplate + styleOffset, 4);
    uint32_t position = ReadLittleEndian(pTemplate + positionOffset, 4);
    return position == 0 && (style & (kAbsAlign | kCentre | kCentreMouse)) == 0;
}

CBox CentredBox(const CBox& dialog, const CBox& over, const CBox& workArea) {
    long left = CentredStart(Width(dialog), over.left, Width(over), workArea.left, workArea.right);
    long top = CentredStart(Height(dialog), over.top, Height(over), workArea.top, workArea.bottom);
    return {left, top, left + Width(dialog), top + Height(dialog)};
}
