// Where the framework places an unplaced modal dialog.

#include "ui/framework/PlacementRules.h"

#include <gtest/gtest.h>

#include <vector>

// Found by argument-dependent lookup, so beside CBox in the global namespace.
bool operator==(const CBox& a, const CBox& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

void PrintTo(const CBox& box, std::ostream* os) {
    *os << "{" << box.left << ", " << box.top << ", " << box.right << ", " << box.bottom << "}";
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
        {"owner off top left", dialog, {-300, -200, 100, 100}, screen, {0, 0, 200, 100}},
        {"no owner", {5, 7, 605, 307}, screen, screen, {212, 234, 812, 534}},
        {"larger than the work area", {0, 0, 1200, 900}, screen, screen, {0, 0, 1200, 900}},
        {"work area off 0,0", dialog, secondMonitor, secondMonitor, {1436, 234, 1636, 334}},
        {"above a taskbar", dialog, {0, 700, 200, 768}, {0, 0, 1024, 728}, {0, 628, 200, 728}},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(CentredBox(row.dialog, row.over, row.workArea), row.expected) << row.what;
    }
}

// A template header as the resource compiler writes it, little-endian.
std::vector<uint8_t> Template(bool bExtended, uint32_t style, int16_t x, int16_t y) {
    std::vector<uint8_t> bytes;
    auto put = [&bytes](uint32_t value, int cb) {
        for (int i = 0; i < cb; ++i) {
            bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
        }
    };
    if (bExtended) {
        put(1, 2), put(0xFFFF, 2), put(0, 4), put(0, 4); // version, signature, help, ex style
        put(style, 4);
    } else {
        put(style, 4), put(0, 4); // style, ex style
    }
    put(3, 2), put(static_cast<uint16_t>(x), 2), put(static_cast<uint16_t>(y), 2);
    put(337, 2), put(97, 2);
    return bytes;
}

TEST(Placement, LeftToTheFrameworkAtZeroWithoutACentringOrAbsoluteStyle) {
    constexpr uint32_t kPopup = 0x80000000u, kModalFrame = 0x80, kAbsAlign = 0x1, kCentre = 0x800,
                       kCentreMouse = 0x1000;
    struct Row {
        bool bExtended;
        uint32_t style;
        int16_t x, y;
        bool expected;
    } rows[] = {
        {true, kPopup | kModalFrame, 0, 0, true},
        {false, kPopup | kModalFrame, 0, 0, true},
        {true, kPopup | kCentre, 0, 0, false},
        {false, kPopup | kCentre, 0, 0, false},
        {true, kPopup | kCentreMouse, 0, 0, false},
        {true, kPopup | kAbsAlign, 0, 0, false},
        {true, kPopup, 1, 0, false},
        {true, kPopup, 0, 1, false},
        {false, kPopup, 0, -1, false},
        {false, kPopup, 256, 0, false},
    };
    for (const Row& row : rows) {
        std::vector<uint8_t> bytes = Template(row.bExtended, row.style, row.x, row.y);
        EXPECT_EQ(IsPlacedByFramework(bytes.data(), bytes.size()), row.expected)
            << (row.bExtended ? "DLGTEMPLATEEX" : "DLGTEMPLATE") << " style " << std::hex
            << row.style << std::dec << " at " << row.x << "," << row.y;
    }
}

TEST(Placement, TooShortForItsPositionIsNotATemplate) {
    std::vector<uint8_t> extended = Template(true, 0, 0, 0);
    std::vector<uint8_t> plain = Template(false, 0, 0, 0);
    EXPECT_FALSE(IsPlacedByFramework(extended.data(), 21));
    EXPECT_TRUE(IsPlacedByFramework(extended.data(), 22));
    EXPECT_FALSE(IsPlacedByFramework(plain.data(), 13));
    EXPECT_TRUE(IsPlacedByFramework(plain.data(), 14));
    EXPECT_FALSE(IsPlacedByFramework(nullptr, 0));
}

} // namespace
