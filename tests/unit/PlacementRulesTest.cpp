// Where the framework places an unplaced modal dialog.

#include "ui/framework/PlacementRules.h"

#include <gtest/gtest.h>

// Found by argument-dependent lookup, so beside CBox in the global namespace.
bool operator==(const CBox& a, const CBox& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

namespace {

TEST(Placement, CentredOverTheOwnerOrTheWorkAreaAndKeptInside) {
    const CBox screen = {0, 0, 1024, 768};
    const CBox secondMonitor = {1024, -100, 2048, 668};
    const CBox dialog = {0, 0, 200, 100};
    struct Row {
        const char* what;
        CBox dialog, over, workArea, expected;
    } rows[] = {
        {"owner on screen", dialog, {100, 100, 701, 401}, screen, {300, 200, 500, 300}},
        {"owner off bottom right", dialog, {900, 600, 1300, 900}, screen, {824, 668, 1024, 768}},
        {"no owner", {5, 7, 605, 307}, screen, screen, {212, 234, 812, 534}},
        {"larger than the work area", {0, 0, 1200, 900}, screen, screen, {0, 0, 1200, 900}},
        {"work area off 0,0", dialog, secondMonitor, secondMonitor, {1436, 234, 1636, 334}},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(CentredBox(row.dialog, row.over, row.workArea), row.expected) << row.what;
    }
}

// Whether a template header at 0,0 as the resource compiler writes it (little-endian) leaves
// the place to the framework, read whole or cut to cbKept bytes.
bool Placed(bool bExtended, uint32_t style, size_t cbKept = 32) {
    uint8_t bytes[32] = {};
    size_t at = 0;
    auto put = [&bytes, &at](uint32_t value, size_t cb) {
        for (size_t i = 0; i < cb; ++i) {
            bytes[at++] = static_cast<uint8_t>(value >> (8 * i));
        }
    };
    if (bExtended) {
        put(0xFFFF0001u, 4), put(7, 4), put(0, 4); // version 1, signature, help ID 7, ex style
    }
    put(style, 4), put(0, bExtended ? 0 : 4), put(3, 2), put(0, 4);
    return IsPlacedByFramework(bytes, cbKept < at ? cbKept : at);
}

TEST(Placement, LeftToTheFrameworkAtZeroWithoutAnAbsoluteStyleWhenWhole) {
    constexpr uint32_t kPopup = 0x80000080u, kAbsAlign = 0x1;
    for (bool bExtended : {true, false}) {
        SCOPED_TRACE(bExtended ? "DLGTEMPLATEEX" : "DLGTEMPLATE");
        EXPECT_TRUE(Placed(bExtended, kPopup));
        EXPECT_FALSE(Placed(bExtended, kPopup | kAbsAlign));
        EXPECT_FALSE(Placed(bExtended, kPopup, bExtended ? 21 : 13)) << "cut";
    }
}

} // namespace
