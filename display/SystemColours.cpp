#include "SystemColours.h"

#include <QGuiApplication>
#include <QPalette>

void LoadSystemColours(SchemeTable& table, const QPalette& palette) {
    SchemeColours& row = table[kSystemScheme];
    row.crBackground = ToColourRef(palette.color(QPalette::Active, QPalette::Base));
    row.crMajorGrid = ToColourRef(palette.color(QPalette::Active, QPalette::Dark));
    row.crMinorGrid = ToColourRef(palette.color(QPalette::Active, QPalette::Button));
    row.crLabel = ToColourRef(palette.color(QPalette::Active, QPalette::ButtonText));
}

void LoadSystemColours(SchemeTable& table) {
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        LoadSystemColours(table, QGuiApplication::palette());
    else
        table[kSystemScheme] = DefaultSchemeTable()[kSystemScheme];
}
