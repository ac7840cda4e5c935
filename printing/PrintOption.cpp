#include "PrintOption.h"

#include "ColourSwatch.h"
#include "PrintStyle.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

constexpr int kDotGrid = 0;
constexpr int kLineGrid = 1;
constexpr int kIconSize = 24; // logical pixels

bool IsMode(std::int32_t mode) {
    return mode == kMono || mode == kColour;
}

QComboBox* StyleList() {
    auto* list = new QComboBox;
    for (const PrintStyleEntry& e : kPrintStyles)
        list->addItem(QString::fromUtf8(e.text));
    return list;
}

// The trace list leaves out the first size ("None").
QComboBox* SizeList(std::size_t first) {
    auto* list = new QComboBox;
    for (std::size_t i = first; i < kPrintSizes.size(); ++i)
        list->addItem(QString::fromUtf8(kPrintSizes[i].text));
    return list;
}

void Select(QComboBox* list, std::int32_t index) {
    list->setCurrentIndex(index >= 0 && index < list->count() ? index : -1);
}

// Checks the button of `id`, or none when no button has it.
void Check(QButtonGroup* group, std::int32_t id) {
    group->setExclusive(false);
    for (QAbstractButton* b : group->buttons())
        b->setChecked(group->id(b) == id);
    group->setExclusive(true);
}

QPixmap IconPixmap(qreal dpr) {
    QPixmap pixmap(QSize(kIconSize, kIconSize) * dpr);
    pixmap.setDevicePixelRatio(dpr);
    pixmap.fill(Qt::white);
    return pixmap;
}

QPixmap DotGridPicture(qreal dpr) {
    QPixmap pixmap = IconPixmap(dpr);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    for (int y = 4; y < kIconSize; y += 4)
        for (int x = 4; x < kIconSize; x += 4)
            p.drawEllipse(QPointF(x, y), 1.0, 1.0);
    return pixmap;
}

QPixmap LineGridPicture(qreal dpr) {
    QPixmap pixmap = IconPixmap(dpr);
    QPainter p(&pixmap);
    const QPen minor(QColor(160, 160, 160), 0); // cosmetic: one device pixel
    const QPen major(Qt::black, 1.5);
    for (int at = 2; at < kIconSize; at += 4) {
        const bool bMajor = (at - 2) / 4 % 3 == 1; // every third line
        p.setPen(bMajor ? major : minor);
        p.drawLine(QPointF(at, 0), QPointF(at, kIconSize));
        p.drawLine(QPointF(0, at), QPointF(kIconSize, at));
    }
    return pixmap;
}

QPushButton* GridButton(const QString& name) {
    auto* button = new QPushButton;
    button->setCheckable(true);
    button->setAccessibleName(name);
    button->setIconSize(QSize(kIconSize, kIconSize));
    return button;
}

} // namespace

CPrintOption::CPrintOption(const ProfileSettings& start, Prompter& prompter, QWidget* parent)
    : QWidget(parent), m_start(start) {
    auto* group = new QGroupBox(QStringLiteral("Colours and Style Option"));

    m_monoRadio = new QRadioButton(QStringLiteral("Monochrome"));
    m_colourRadio = new QRadioButton(QStringLiteral("Colour"));
    m_colourModeGroup = new QButtonGroup(this);
    m_colourModeGroup->addButton(m_monoRadio, kMono);
    m_colourModeGroup->addButton(m_colourRadio, kColour);
    auto* modeRow = new QHBoxLayout;
    modeRow->addWidget(new QLabel(QStringLiteral("Preference:")));
    modeRow->addWidget(m_monoRadio);
    modeRow->addWidget(m_colourRadio);
    modeRow->addStretch();

    auto* line = new QFrame;
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);

    m_ellipseCheck = new QCheckBox(QStringLiteral("Use ellipse for dot style grids"));

    m_dotGridButton = GridButton(QStringLiteral("Dot grid"));
    m_lineGridButton = GridButton(QStringLiteral("Line grid"));
    m_gridKindGroup = new QButtonGroup(this);
    m_gridKindGroup->addButton(m_dotGridButton, kDotGrid);
    m_gridKindGroup->addButton(m_lineGridButton, kLineGrid);
    auto* gridRow = new QHBoxLayout;
    gridRow->addWidget(m_dotGridButton);
    gridRow->addWidget(m_lineGridButton);
    gridRow->addStretch();

    m_traceSwatch = new CColourSwatch(prompter);
    m_majorSwatch = new CColourSwatch(prompter);
    m_minorSwatch = new CColourSwatch(prompter);
    m_backSwatch = new CColourSwatch(prompter);
    m_traceStyleList = StyleList();
    m_majorStyleList = StyleList();
    m_minorStyleList = StyleList();
    m_traceSizeList = SizeList(1);
    m_majorSizeList = SizeList(0);
    m_minorSizeList = SizeList(0);
    m_backLabel = new QLabel(QStringLiteral("Background"));

    auto* rows = new QGridLayout;
    const auto addRow = [rows](int row, QLabel* label, CColourSwatch* swatch, QComboBox* style,
                               QComboBox* size) {
        label->setBuddy(swatch);
        rows->addWidget(label, row, 0);
        rows->addWidget(swatch, row, 1);
        if (style)
            rows->addWidget(style, row, 2);
        if (size)
            rows->addWidget(size, row, 3);
    };
    addRow(0, new QLabel(QStringLiteral("ECG Traces")), m_traceSwatch, m_traceStyleList,
           m_traceSizeList);
    addRow(1, new QLabel(QStringLiteral("Major grid line")), m_majorSwatch, m_majorStyleList,
           m_majorSizeList);
    addRow(2, new QLabel(QStringLiteral("Minor grid line")), m_minorSwatch, m_minorStyleList,
           m_minorSizeList);
    addRow(3, m_backLabel, m_backSwatch, nullptr, nullptr);
    rows->setColumnStretch(1, 1);

    auto* inside = new QVBoxLayout(group);
    inside->addLayout(modeRow);
    inside->addWidget(line);
    inside->addWidget(m_ellipseCheck);
    inside->addLayout(gridRow);
    inside->addLayout(rows);

    auto* page = new QVBoxLayout(this);
    page->addWidget(group);
    page->addStretch();

    connect(m_gridKindGroup, &QButtonGroup::idClicked, this, [this] { OnGridKind(); });
    connect(m_colourModeGroup, &QButtonGroup::idClicked, this, [this] { OnColourMode(); });

    m_gridKindSet = start.GridSelect;
    m_traceStyleSet = start.TraceStyle;
    m_traceSizeSet = start.TraceSize;
    m_majorStyleSet = start.MajorStyle;
    m_majorSizeSet = start.MajorSize;
    m_minorStyleSet = start.MinorStyle;
    m_minorSizeSet = start.MinorSize;
    m_nColourMode = start.PrintInColour;
    m_bEllipseDots = start.EllipseForDots;
    m_traceSwatch->SetColour(ColourRef(start.Trace));
    m_majorSwatch->SetColour(ColourRef(start.MajorGrid));
    m_minorSwatch->SetColour(ColourRef(start.MinorGrid));
    m_backSwatch->SetColour(ColourRef(start.Background));
}

void CPrintOption::OnSetActive() {
    PutIcons();
    LoadShown(m_nColourMode);
    // An unconfirmed change of the ellipse box does not survive leaving the page.
    m_bEllipseDots = m_start.EllipseForDots;
    WriteControls();
    UpdateEnables();
}

void CPrintOption::OnKillActive() {
    ReadControls();
    StoreShown(m_nColourMode);
}

void CPrintOption::StoreInto(ProfileSettings& out) const {
    out.GridSelect = m_gridKindSet;
    out.TraceStyle = m_traceStyleSet;
    out.TraceSize = m_traceSizeSet;
    out.MajorStyle = m_majorStyleSet;
    out.MajorSize = m_majorSizeSet;
    out.MinorStyle = m_minorStyleSet;
    out.MinorSize = m_minorSizeSet;
    out.PrintInColour = m_nColourMode;
    out.EllipseForDots = m_bEllipseDots;
    out.Trace = std::int32_t(m_traceSwatch->Colour());
    out.MajorGrid = std::int32_t(m_majorSwatch->Colour());
    out.MinorGrid = std::int32_t(m_minorSwatch->Colour());
    out.Background = std::int32_t(m_backSwatch->Colour());
}

void CPrintOption::UpdateEnables() {
    ReadControls();
    const bool bDots = m_nGridKind == kDotGrid;
    const bool bLines = m_nGridKind == kLineGrid;
    const bool bColour = m_nColourMode == kColour;
    m_ellipseCheck->setEnabled(bDots);
    m_majorStyleList->setEnabled(bLines);
    m_minorStyleList->setEnabled(bLines);
    m_majorSizeList->setEnabled(bLines);
    m_minorSizeList->setEnabled(bLines);
    m_traceSwatch->setEnabled(bColour);
    m_majorSwatch->setEnabled(bLines && bColour);
    m_minorSwatch->setEnabled(bLines && bColour);
    m_backSwatch->setEnabled(bColour);
    m_traceStyleList->setEnabled(true);
    m_traceSizeList->setEnabled(true);
    // In colour the dot grid's dots are drawn in the background colour.
    m_backLabel->setText(bDots && bColour ? QStringLiteral("Dot colour")
                                          : QStringLiteral("Background"));
}

void CPrintOption::OnGridKind() {
    UpdateEnables();
}

void CPrintOption::OnColourMode() {
    const std::int32_t was = m_nColourMode;
    ReadControls();
    StoreShown(was);
    LoadShown(m_nColourMode);
    WriteControls();
    UpdateEnables();
}

void CPrintOption::ReadControls() {
    m_nColourMode = m_colourModeGroup->checkedId();
    m_bEllipseDots = m_ellipseCheck->isChecked() ? 1 : 0;
    m_nGridKind = m_gridKindGroup->checkedId();
    m_nTraceStyle = m_traceStyleList->currentIndex();
    m_nTraceSize = m_traceSizeList->currentIndex();
    m_nMajorStyle = m_majorStyleList->currentIndex();
    m_nMajorSize = m_majorSizeList->currentIndex();
    m_nMinorStyle = m_minorStyleList->currentIndex();
    m_nMinorSize = m_minorSizeList->currentIndex();
}

void CPrintOption::WriteControls() {
    Check(m_colourModeGroup, m_nColourMode);
    m_ellipseCheck->setChecked(m_bEllipseDots != 0);
    Check(m_gridKindGroup, m_nGridKind);
    Select(m_traceStyleList, m_nTraceStyle);
    Select(m_traceSizeList, m_nTraceSize);
    Select(m_majorStyleList, m_nMajorStyle);
    Select(m_majorSizeList, m_nMajorSize);
    Select(m_minorStyleList, m_nMinorStyle);
    Select(m_minorSizeList, m_nMinorSize);
}

// Without a colour mode there is no set to show: the shown values are left as they are.
void CPrintOption::LoadShown(std::int32_t mode) {
    if (!IsMode(mode))
        return;
    const auto m = std::size_t(mode);
    m_nGridKind = m_gridKindSet[m];
    m_nMajorStyle = m_majorStyleSet[m];
    m_nMajorSize = m_majorSizeSet[m];
    m_nMinorStyle = m_minorStyleSet[m];
    m_nMinorSize = m_minorSizeSet[m];
    m_nTraceStyle = m_traceStyleSet[m];
    m_nTraceSize = m_traceSizeSet[m];
}

void CPrintOption::StoreShown(std::int32_t mode) {
    if (!IsMode(mode))
        return;
    const auto m = std::size_t(mode);
    m_gridKindSet[m] = m_nGridKind;
    m_majorStyleSet[m] = m_nMajorStyle;
    m_majorSizeSet[m] = m_nMajorSize;
    m_minorStyleSet[m] = m_nMinorStyle;
    m_minorSizeSet[m] = m_nMinorSize;
    m_traceStyleSet[m] = m_nTraceStyle;
    m_traceSizeSet[m] = m_nTraceSize;
}

void CPrintOption::PutIcons() {
    const qreal dpr = devicePixelRatioF();
    m_dotGridButton->setIcon(QIcon(DotGridPicture(dpr)));
    m_lineGridButton->setIcon(QIcon(LineGridPicture(dpr)));
}
