#pragma once

#include "SerialBackend.h"

#include <QDialog>

class CAdvancePage;
class CGeneralPage;
class CPrintOption;
class CViewOption;
class Prompter;
class QTabWidget;
struct ProfileSettings;

// Every option of the program in one sheet of four pages. The pages start from the settings as
// they are when the sheet opens; OK stores every page's values into the settings, Cancel keeps
// none of them.
class COptionSheet : public QDialog {
    Q_OBJECT
  public:
    // The General page's link check reaches the ports through `lines`; `nRunPort` > 0 is the
    // port this run records from whatever the settings say, described by `runPortWhat`.
    COptionSheet(ProfileSettings& settings, Prompter& prompter, LineFactory lines, int nRunPort,
                 const QString& runPortWhat, QWidget* parent = nullptr);
    ~COptionSheet() override;

    void accept() override;

    QTabWidget* Tabs() const { return m_pTabs; }
    CGeneralPage* General() const { return m_pGeneral; }
    CAdvancePage* Advance() const { return m_pAdvance; }
    CViewOption* ViewPage() const { return m_pView; }
    CPrintOption* PrintPage() const { return m_pPrint; }

  private:
    void OnPageChanged(int index);
    void SetActive(int index);
    void KillActive(int index);

    ProfileSettings& m_settings;
    const std::unique_ptr<const ProfileSettings> m_pStart;
    QTabWidget* m_pTabs;
    CGeneralPage* m_pGeneral;
    CAdvancePage* m_pAdvance;
    CViewOption* m_pView;
    CPrintOption* m_pPrint;
    int m_nShown = -1;
};
