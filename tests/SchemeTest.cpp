#include "SchemeColours.h"
#include "SystemColours.h"

#include <QPalette>

#include <gtest/gtest.h>

TEST(Schemes, LookupFallsBackToTheUserRow) {
    SchemeTable table = DefaultSchemeTable();
    for (int i = 0; i < kSchemeCount; ++i)
        table[std::size_t(i)].crBackground = ColourRef(i + 1); // tell the rows apart
    struct Case {
        int index, row;
    };
    for (const Case& c : {Case{0, 0}, Case{3, 3}, Case{5, 5}, Case{6, 6}, Case{7, 6}, Case{-1, 6},
                          Case{INT32_MIN, 6}, Case{INT32_MAX, 6}})
        EXPECT_EQ(GetSchemeColours(table, c.index).crBackground, ColourRef(c.row + 1)) << c.index;
    EXPECT_EQ(DefaultSchemeTable()[6].nSpare, 6u);
    EXPECT_EQ(DefaultSchemeTable()[5].nSpare, 0u);
}

TEST(Schemes, DarkSchemeColoursInRgb) {
    const SchemeColours dark = GetSchemeColours(DefaultSchemeTable(), 2);
    EXPECT_EQ(ToQColor(dark.crBackground), QColor(0, 0, 0));
    EXPECT_EQ(ToQColor(dark.crMajorGrid), QColor(90, 90, 90));
    EXPECT_EQ(ToQColor(dark.crMinorGrid), QColor(50, 50, 50));
    EXPECT_EQ(ToQColor(dark.crChannel1), QColor(0, 255, 0));
    EXPECT_EQ(ToQColor(dark.crChannel2), QColor(0, 255, 255));
    EXPECT_EQ(ToQColor(dark.crChannel3), QColor(255, 255, 0));
    EXPECT_EQ(ToQColor(dark.crLabel), QColor(255, 255, 255));
}

TEST(Schemes, SystemRowFollowsTheDesktopPalette) {
    QPalette palette;
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::Button, QColor(192, 192, 192));
    palette.setColor(QPalette::Dark, QColor(128, 128, 128));
    palette.setColor(QPalette::ButtonText, Qt::black);
    SchemeTable table = DefaultSchemeTable();
    LoadSystemColours(table, palette);
    const SchemeColours& row = table[0];
    EXPECT_EQ(ToQColor(row.crBackground), QColor(Qt::white));
    EXPECT_EQ(ToQColor(row.crMajorGrid), QColor(128, 128, 128));
    EXPECT_EQ(ToQColor(row.crMinorGrid), QColor(192, 192, 192));
    EXPECT_EQ(ToQColor(row.crLabel), QColor(Qt::black));
    EXPECT_EQ(ToQColor(row.crChannel1), QColor(0, 0, 128)); // navy, green, maroon stay
    EXPECT_EQ(ToQColor(row.crChannel2), QColor(0, 128, 0));
    EXPECT_EQ(ToQColor(row.crChannel3), QColor(128, 0, 0));
    for (int i = 1; i < kSchemeCount; ++i)
        EXPECT_EQ(table[std::size_t(i)].crBackground,
                  DefaultSchemeTable()[std::size_t(i)].crBackground);
}
