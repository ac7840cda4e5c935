#include "SchemeColours.h"

const std::array<const char*, kSchemeCount> kSchemeNames = {
    "Windows System Colour", "Skylight", "Dark", "Green", "Blues", "Pink", "User Selected"};

SchemeTable DefaultSchemeTable() {
    return {{
        {0xF0FBFF, 0xF0CAA6, 0xC0DCC0, 0x800000, 0x008000, 0x000080, 0xA4A0A0, 0},
        {0xF0FBFF, 0xF0CAA6, 0xC0DCC0, 0x800000, 0x000000, 0x800080, 0xA4A0A0, 0},
        {0x000000, 0x5A5A5A, 0x323232, 0x00FF00, 0xFFFF00, 0x00FFFF, 0xFFFFFF, 0},
        {0xFFFFFF, 0x00E100, 0xA0FFA0, 0x800000, 0x000000, 0x000080, 0x0000FF, 0},
        {0x000000, 0xFF0000, 0x800000, 0xFFFF00, 0x00FF00, 0x00FFFF, 0xF0CAA6, 0},
        {0xFFFFFF, 0xB469FF, 0xC1B6FF, 0x800000, 0x000000, 0x008000, 0xFF0000, 0},
        {0xFFFFFF, 0x0080FF, 0xCECEFF, 0x800000, 0x000000, 0x008000, 0xFF0000, kUserScheme},
    }};
}

SchemeColours GetSchemeColours(const SchemeTable& table, int nScheme) {
    if (nScheme >= 0 && nScheme < kUserScheme)
        return table[std::size_t(nScheme)];
    return table[kUserScheme];
}
