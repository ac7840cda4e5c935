#pragma once

#include <array>
#include <cstdint>

// A colour as 0x00BBGGRR: red in the low byte, as stored in the profile.
using ColourRef = std::uint32_t;

constexpr ColourRef MakeColourRef(int r, int g, int b) {
    return ColourRef(r & 0xFF) | (ColourRef(g & 0xFF) << 8) | (ColourRef(b & 0xFF) << 16);
}
constexpr int RedOf(ColourRef c) {
    return int(c & 0xFF);
}
constexpr int GreenOf(ColourRef c) {
    return int((c >> 8) & 0xFF);
}
constexpr int BlueOf(ColourRef c) {
    return int((c >> 16) & 0xFF);
}

// The seven display colours of one scheme, followed by one spare word.
struct SchemeColours {
    ColourRef crBackground;
    ColourRef crMajorGrid;
    ColourRef crMinorGrid;
    ColourRef crChannel1;
    ColourRef crChannel2;
    ColourRef crChannel3;
    ColourRef crLabel;
    std::uint32_t nSpare; // 6 in the user row, 0 elsewhere
};

constexpr int kSystemScheme = 0;
constexpr int kUserScheme = 6;
constexpr int kSchemeCount = 7;

// The chooser's texts, indexed like the scheme table.
extern const std::array<const char*, kSchemeCount> kSchemeNames;

// The built-in table: row 0 is refreshed from the desktop's colours, row 6 from the settings.
using SchemeTable = std::array<SchemeColours, kSchemeCount>;
SchemeTable DefaultSchemeTable();

// Rows 0 to 5 for those indices, the user row for every other value.
SchemeColours GetSchemeColours(const SchemeTable& table, int nScheme);
