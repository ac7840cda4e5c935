#pragma once

#include "SchemeColours.h"

#include <QWidget>

#include <cstdint>

class CColourSwatch;
class Prompter;
class QComboBox;
struct ProfileSettings;

// The "Display/View" page of the option sheet: the colour scheme chooser and the seven colours
// of the scheme chosen. The colours of a built-in scheme are shown read-only; those of "User
// Selected" can be picked by a double click and are kept in the user row of the scheme table.
class CViewOption : public QWidget {
    Q_OBJECT
  public:
    // The page's controls.
    static constexpr int kIdScheme = 1118;
    static constexpr int kIdBackground = 1114;
    static constexpr int kIdMajorGrid = 1111;
    static constexpr int kIdMinorGrid = 1112;
    static constexpr int kIdChannel1 = 1057;
    static constexpr int kIdChannel2 = 1058;
    static constexpr int kIdChannel3 = 1059;
    static constexpr int kIdLabel = 1060;

    // `start` is the settings as they stood when the sheet opened; it outlives the page.
    CViewOption(const ProfileSettings& start, Prompter& prompter, QWidget* parent = nullptr);

    // The page becomes the shown page: the stored scheme and user colours replace the page's.
    void OnSetActive();
    // The page is left, or the sheet is confirmed: the chooser's choice is taken.
    void OnKillActive();
    // After OK: the user colours if "User Selected" is chosen, then the scheme.
    void StoreInto(ProfileSettings& out) const;

    // The chooser's choice as last taken; -1 for none.
    int Scheme() const { return m_nScheme; }
    // The colours the swatches show.
    const SchemeColours& Shown() const { return m_shown; }
    bool IsFixedScheme() const { return m_bFixedScheme != 0; }

    QComboBox* SchemeChooser() const { return m_cbScheme; }
    // The swatch of a colour control; none for any other number.
    CColourSwatch* Swatch(int nId) const;

  private:
    // A new choice in the chooser, made by the user.
    void OnSelChangeScheme();
    // Shows the colours of the current scheme, read-only unless it is "User Selected".
    void FillSwatches();
    // The swatches' colours written into `row`; its spare word stays.
    void ReadSwatches(SchemeColours& row) const;
    void OnOK(ProfileSettings& out) const;

    const ProfileSettings& m_start;
    SchemeColours m_shown{};
    SchemeColours m_user{};
    std::int32_t m_bFixedScheme = 1;
    QComboBox* m_cbScheme = nullptr;
    CColourSwatch* m_swMinorGrid = nullptr;
    CColourSwatch* m_swMajorGrid = nullptr;
    CColourSwatch* m_swChannel3 = nullptr;
    CColourSwatch* m_swChannel2 = nullptr;
    CColourSwatch* m_swChannel1 = nullptr;
    CColourSwatch* m_swBackground = nullptr;
    CColourSwatch* m_swLabel = nullptr;
    int m_nScheme = -1;
};
