#include "ViewOption.h"

#include "ColourSwatch.h"
#include "ProfileSettings.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {

// A labelled swatch row of a group; the label names the swatch as its buddy.
CColourSwatch* AddSwatchRow(QFormLayout* form, const QString& text, Prompter& prompter) {
    auto* swatch = new CColourSwatch(prompter);
    const QFontMetrics fm = swatch->fontMetrics();
    swatch->setMinimumSize(fm.averageCharWidth() * 10, fm.height() + 6);
    auto* label = new QLabel(text);
    label->setBuddy(swatch);
    form->addRow(label, swatch);
    return swatch;
}

} // namespace

CViewOption::CViewOption(const ProfileSettings& start, Prompter& prompter, QWidget* parent)
    : QWidget(parent), m_start(start) {
    auto* top = new QVBoxLayout(this);

    auto* schemeRow = new QHBoxLayout;
    auto* schemeLabel = new QLabel(QStringLiteral("Colour scheme"));
    m_cbScheme = new QComboBox;
    for (const char* name : kSchemeNames)
        m_cbScheme->addItem(QString::fromLatin1(name));
    m_cbScheme->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    schemeLabel->setBuddy(m_cbScheme);
    schemeRow->addWidget(schemeLabel);
    schemeRow->addWidget(m_cbScheme);
    schemeRow->addStretch(1);
    top->addLayout(schemeRow);

    auto* grids = new QGroupBox(QStringLiteral("Grids and layout"));
    auto* gridsForm = new QFormLayout(grids);
    m_swBackground = AddSwatchRow(gridsForm, QStringLiteral("Background"), prompter);
    m_swMajorGrid = AddSwatchRow(gridsForm, QStringLiteral("Major grid line"), prompter);
    m_swMinorGrid = AddSwatchRow(gridsForm, QStringLiteral("Minor grid line"), prompter);

    auto* traces = new QGroupBox(QStringLiteral("Line traces"));
    auto* tracesForm = new QFormLayout(traces);
    m_swChannel1 = AddSwatchRow(tracesForm, QStringLiteral("Channel 1"), prompter);
    m_swChannel2 = AddSwatchRow(tracesForm, QStringLiteral("Channel 2"), prompter);
    m_swChannel3 = AddSwatchRow(tracesForm, QStringLiteral("Channel 3"), prompter);
    m_swLabel = AddSwatchRow(tracesForm, QStringLiteral("Label"), prompter);

    auto* groups = new QHBoxLayout;
    groups->addWidget(grids, 1, Qt::AlignTop);
    groups->addWidget(traces, 1, Qt::AlignTop);
    top->addLayout(groups);
    top->addStretch(1);

    // Only the user's choices; OnSetActive's own selection must not count as one.
    connect(m_cbScheme, &QComboBox::activated, this, &CViewOption::OnSelChangeScheme);

    // Filled from the start as well, so that a page the sheet never showed stores the user
    // colours as they were.
    m_nScheme = start.Scheme;
    m_user = start.schemes[kUserScheme];
    FillSwatches();
    m_cbScheme->setCurrentIndex(m_nScheme >= 0 && m_nScheme < kSchemeCount ? m_nScheme : -1);
}

CColourSwatch* CViewOption::Swatch(int nId) const {
    switch (nId) {
    case kIdBackground:
        return m_swBackground;
    case kIdMajorGrid:
        return m_swMajorGrid;
    case kIdMinorGrid:
        return m_swMinorGrid;
    case kIdChannel1:
        return m_swChannel1;
    case kIdChannel2:
        return m_swChannel2;
    case kIdChannel3:
        return m_swChannel3;
    case kIdLabel:
        return m_swLabel;
    default:
        return nullptr;
    }
}

void CViewOption::FillSwatches() {
    m_bFixedScheme = 1;
    SchemeColours source;
    if (m_nScheme != kUserScheme) {
        // Any value outside the table shows the user row, read-only.
        source = GetSchemeColours(m_start.schemes, m_nScheme);
    } else {
        m_bFixedScheme = 0;
        source = m_user;
    }
    m_shown = source;

    m_swBackground->SetColour(m_shown.crBackground);
    m_swMajorGrid->SetColour(m_shown.crMajorGrid);
    m_swMinorGrid->SetColour(m_shown.crMinorGrid);
    m_swChannel1->SetColour(m_shown.crChannel1);
    m_swChannel2->SetColour(m_shown.crChannel2);
    m_swChannel3->SetColour(m_shown.crChannel3);
    m_swLabel->SetColour(m_shown.crLabel);
    for (CColourSwatch* swatch : {m_swBackground, m_swMajorGrid, m_swMinorGrid, m_swChannel1,
                                  m_swChannel2, m_swChannel3, m_swLabel})
        swatch->SetReadOnly(m_bFixedScheme != 0);
}

void CViewOption::ReadSwatches(SchemeColours& row) const {
    row.crBackground = m_swBackground->Colour();
    row.crMajorGrid = m_swMajorGrid->Colour();
    row.crMinorGrid = m_swMinorGrid->Colour();
    row.crChannel1 = m_swChannel1->Colour();
    row.crChannel2 = m_swChannel2->Colour();
    row.crChannel3 = m_swChannel3->Colour();
    row.crLabel = m_swLabel->Colour();
}

void CViewOption::OnSetActive() {
    m_nScheme = m_start.Scheme;
    m_user = m_start.schemes[kUserScheme];
    FillSwatches();
    m_cbScheme->setCurrentIndex(m_nScheme >= 0 && m_nScheme < kSchemeCount ? m_nScheme : -1);
}

void CViewOption::OnSelChangeScheme() {
    // Colours picked under "User Selected" survive a look at another scheme.
    if (m_nScheme == kUserScheme)
        ReadSwatches(m_user);
    m_nScheme = m_cbScheme->currentIndex();
    FillSwatches();
    update();
}

void CViewOption::OnKillActive() {
    m_nScheme = m_cbScheme->currentIndex();
}

void CViewOption::OnOK(ProfileSettings& out) const {
    if (m_nScheme == kUserScheme)
        ReadSwatches(out.schemes[kUserScheme]);
}

void CViewOption::StoreInto(ProfileSettings& out) const {
    OnOK(out);
    out.Scheme = m_nScheme;
}
