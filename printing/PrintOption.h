#pragma once

#include "ProfileSettings.h"

#include <QWidget>

#include <cstdint>

class CColourSwatch;
class Prompter;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;

// The "Print/Export" page of the option sheet: how the page is printed in monochrome and in
// colour. The page keeps both sets and shows the one the colour mode picks, so switching the
// mode back and forth keeps what was chosen for each.
class CPrintOption : public QWidget {
    Q_OBJECT
  public:
    // `start` is the settings as they stood when the sheet opened; it outlives the page.
    CPrintOption(const ProfileSettings& start, Prompter& prompter, QWidget* parent = nullptr);

    // The page becomes the shown page: the set of the colour mode is shown, and the ellipse box
    // as it stood when the sheet opened.
    void OnSetActive();
    // The page is left, or the sheet is confirmed: the shown values go into their set.
    void OnKillActive();
    // After OK: both sets, the colour mode, the ellipse box and the four colours.
    void StoreInto(ProfileSettings& out) const;

    // Takes the controls' values, then enables what the grid kind and colour mode use.
    void UpdateEnables();
    // A click on the dot grid or the line grid button.
    void OnGridKind();
    // A click on Monochrome or Colour: the shown values go into the set left, and the set
    // chosen is shown.
    void OnColourMode();

    // Shown values; -1 is no selection.
    std::int32_t m_bEllipseDots = 0;
    std::int32_t m_nGridKind = -1;   // 0 dot grid, 1 line grid
    std::int32_t m_nColourMode = -1; // 0 monochrome, 1 colour
    std::int32_t m_nTraceStyle = -1;
    std::int32_t m_nTraceSize = -1;
    std::int32_t m_nMajorStyle = -1;
    std::int32_t m_nMajorSize = -1;
    std::int32_t m_nMinorStyle = -1;
    std::int32_t m_nMinorSize = -1;

    // The stored sets, indexed by kMono and kColour.
    PrintPair m_gridKindSet{};
    PrintPair m_traceStyleSet{};
    PrintPair m_traceSizeSet{};
    PrintPair m_majorStyleSet{};
    PrintPair m_majorSizeSet{};
    PrintPair m_minorStyleSet{};
    PrintPair m_minorSizeSet{};

    // The controls.
    QRadioButton* m_monoRadio = nullptr;   // 1106
    QRadioButton* m_colourRadio = nullptr; // 1107
    QButtonGroup* m_colourModeGroup = nullptr;
    QCheckBox* m_ellipseCheck = nullptr;     // 1155
    QPushButton* m_dotGridButton = nullptr;  // 1104
    QPushButton* m_lineGridButton = nullptr; // 1105
    QButtonGroup* m_gridKindGroup = nullptr;
    QComboBox* m_traceStyleList = nullptr;  // 1116
    QComboBox* m_traceSizeList = nullptr;   // 1119
    QComboBox* m_majorStyleList = nullptr;  // 1114
    QComboBox* m_majorSizeList = nullptr;   // 1117
    QComboBox* m_minorStyleList = nullptr;  // 1115
    QComboBox* m_minorSizeList = nullptr;   // 1118
    CColourSwatch* m_traceSwatch = nullptr; // 1113
    CColourSwatch* m_majorSwatch = nullptr; // 1111
    CColourSwatch* m_minorSwatch = nullptr; // 1112
    CColourSwatch* m_backSwatch = nullptr;  // 1128
    QLabel* m_backLabel = nullptr;          // 1022

  private:
    void ReadControls();
    void WriteControls();
    void LoadShown(std::int32_t mode);
    void StoreShown(std::int32_t mode);
    void PutIcons();

    const ProfileSettings& m_start;
};
