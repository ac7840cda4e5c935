#include "OptionSheet.h"

#include "AdvancePage.h"
#include "GeneralPage.h"
#include "PrintOption.h"
#include "ProfileSettings.h"
#include "ViewOption.h"

#include <QDialogButtonBox>
#include <QTabWidget>
#include <QVBoxLayout>

COptionSheet::COptionSheet(ProfileSettings& settings, Prompter& prompter, LineFactory lines,
                           int nRunPort, const QString& runPortWhat, QWidget* parent)
    : QDialog(parent), m_settings(settings),
      m_pStart(std::make_unique<const ProfileSettings>(settings)) {
    setWindowTitle(QStringLiteral("ZM540Vet Setup options"));
    m_pTabs = new QTabWidget(this);
    m_pGeneral = new CGeneralPage(*m_pStart, prompter, std::move(lines), nRunPort, runPortWhat);
    m_pAdvance = new CAdvancePage(*m_pStart);
    m_pView = new CViewOption(*m_pStart, prompter);
    m_pPrint = new CPrintOption(*m_pStart, prompter);
    m_pTabs->addTab(m_pGeneral, QStringLiteral("General"));
    m_pTabs->addTab(m_pAdvance, QStringLiteral("Advance"));
    m_pTabs->addTab(m_pView, QStringLiteral("Display/View"));
    m_pTabs->addTab(m_pPrint, QStringLiteral("Print/Export"));
    m_pTabs->setCurrentIndex(0);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &COptionSheet::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &COptionSheet::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pTabs);
    layout->addWidget(buttons);

    SetActive(0);
    connect(m_pTabs, &QTabWidget::currentChanged, this, &COptionSheet::OnPageChanged);
}

COptionSheet::~COptionSheet() = default;

void COptionSheet::OnPageChanged(int index) {
    KillActive(m_nShown);
    SetActive(index);
}

void COptionSheet::SetActive(int index) {
    m_nShown = index;
    switch (index) {
    case 0:
        m_pGeneral->OnSetActive();
        break;
    case 1:
        m_pAdvance->OnSetActive();
        break;
    case 2:
        m_pView->OnSetActive();
        break;
    case 3:
        m_pPrint->OnSetActive();
        break;
    default:
        break;
    }
}

void COptionSheet::KillActive(int index) {
    switch (index) {
    case 0:
        m_pGeneral->OnKillActive();
        break;
    case 1:
        m_pAdvance->OnKillActive();
        break;
    case 2:
        m_pView->OnKillActive();
        break;
    case 3:
        m_pPrint->OnKillActive();
        break;
    default:
        break;
    }
}

void COptionSheet::accept() {
    // The shown page gives up its controls' values first, as a change of page would.
    KillActive(m_nShown);
    m_pGeneral->StoreInto(m_settings);
    m_pAdvance->StoreInto(m_settings);
    m_pView->StoreInto(m_settings);
    m_pPrint->StoreInto(m_settings);
    QDialog::accept();
}
