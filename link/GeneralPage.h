#pragma once

#include "SerialBackend.h"

#include <QWidget>

#include <array>
#include <cstdint>

class Prompter;
class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
struct ProfileSettings;

// The "General" page of the option sheet: the recorder's port (and, where ports are device
// paths, the device of each), the link check, and the rule for the ECG directory.
class CGeneralPage : public QWidget {
    Q_OBJECT
  public:
    // `start` is the settings as they stood when the sheet opened; it outlives the page. The
    // link check reaches the ports through `lines`; `nRunPort` > 0 is the port this run records
    // from whatever the settings say, described by `runPortWhat`.
    CGeneralPage(const ProfileSettings& start, Prompter& prompter, LineFactory lines,
                 int nRunPort = 0, const QString& runPortWhat = QString(),
                 QWidget* parent = nullptr);

    // The page becomes the shown page: its fields come from the settings as the sheet found
    // them, so an edit made here is lost when the user leaves the page and comes back.
    void OnSetActive();
    void OnKillActive() { UpdateData(); }
    // After OK: the port, the port devices and the directory rule.
    void StoreInto(ProfileSettings& out) const;

    void OnLinkCheck();
    void OnBrowse();

    QString m_strDir;
    std::int32_t m_nPort = -1;        // 0 to 3 for COM1 to COM4, -1 none
    std::int32_t m_nDirSel = -1;      // 0 system default, 1 last accessed, 2 set as below, -1 none
    std::array<QString, 4> m_devices; // the device of each port

    QButtonGroup* m_pPorts;
    QComboBox* m_pDevice;
    QPushButton* m_pLinkCheck;
    QButtonGroup* m_pDirRules;
    QLineEdit* m_editDir;
    QPushButton* m_btnBrowse;
    QLabel* m_pRunNote;

  private:
    // Controls to fields (bSave) or fields to controls, then the enabling.
    void UpdateData(bool bSave = true);
    void ShowPortDevice();

    const ProfileSettings& m_start;
    Prompter& m_prompter;
    LineFactory m_lines;
    int m_nRunPort;
};
