#pragma once

#include "SchemeColours.h"

#include <QColor>

class QPalette;

inline QColor ToQColor(ColourRef c) {
    return QColor(RedOf(c), GreenOf(c), BlueOf(c));
}
inline ColourRef ToColourRef(const QColor& c) {
    return MakeColourRef(c.red(), c.green(), c.blue());
}

// Fits row 0 of the scheme table to the desktop: background from the window background,
// major grid from button shadows, minor grid from button faces, labels from button text.
// The channel colours stay.
void LoadSystemColours(SchemeTable& table, const QPalette& palette);
// The same from the application's palette; without a GUI application the built-in values stay.
void LoadSystemColours(SchemeTable& table);
