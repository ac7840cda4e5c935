#include "GeneralPage.h"

#include "LinkCheckDlg.h"
#include "PortDirectory.h"
#include "ProfileSettings.h"
#include "Prompter.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

// A radio group whose buttons have the ids 0, 1, ...; no button checked stands for -1.
QButtonGroup* RadioGroup(QWidget* parent, QBoxLayout* layout, const QStringList& texts) {
    auto* group = new QButtonGroup(parent);
    for (int i = 0; i < texts.size(); ++i) {
        auto* button = new QRadioButton(texts[i], parent);
        group->addButton(button, i);
        layout->addWidget(button);
    }
    layout->addStretch();
    return group;
}

void Check(QButtonGroup* group, int id) {
    if (QAbstractButton* button = group->button(id)) {
        button->setChecked(true);
        return;
    }
    group->setExclusive(false);
    for (QAbstractButton* button : group->buttons())
        button->setChecked(false);
    group->setExclusive(true);
}

} // namespace

CGeneralPage::CGeneralPage(const ProfileSettings& start, Prompter& prompter, LineFactory lines,
                           int nRunPort, const QString& runPortWhat, QWidget* parent)
    : QWidget(parent), m_start(start), m_prompter(prompter), m_lines(std::move(lines)),
      m_nRunPort(nRunPort) {
    auto* comms = new QGroupBox(QStringLiteral("Communication"), this);
    auto* portRow = new QHBoxLayout;
    m_pPorts = RadioGroup(comms, portRow,
                          {QStringLiteral("Com1"), QStringLiteral("Com2"), QStringLiteral("Com3"),
                           QStringLiteral("Com4")});
    m_pDevice = new QComboBox(comms);
    m_pDevice->setEditable(true);
    m_pDevice->addItems(SerialDevicesPresent());
    m_pDevice->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_pDevice->setMinimumContentsLength(24);
    m_pDevice->setToolTip(QStringLiteral("The serial device of the chosen port"));
    auto* deviceLabel = new QLabel(QStringLiteral("Device:"), comms);
    deviceLabel->setBuddy(m_pDevice);
    auto* hint = new QLabel(QStringLiteral("Make sure that the selected RS-232c port is shown "
                                           "working as indicated by the Device Manager."),
                            comms);
    hint->setWordWrap(true);
    m_pLinkCheck = new QPushButton(QStringLiteral("Link check"), comms);
    m_pRunNote = new QLabel(comms);
    m_pRunNote->setWordWrap(true);
    m_pRunNote->setVisible(nRunPort > 0);
    m_pRunNote->setText(
        QStringLiteral("This run records from %1, whatever port is chosen here; Link check "
                       "tests it.")
            .arg(runPortWhat.isEmpty() ? QStringLiteral("port %1").arg(nRunPort) : runPortWhat));

    auto* commsLayout = new QGridLayout(comms);
    commsLayout->addLayout(portRow, 0, 0, 1, 3);
    commsLayout->addWidget(deviceLabel, 1, 0);
    commsLayout->addWidget(m_pDevice, 1, 1, 1, 2);
    commsLayout->addWidget(hint, 2, 0, 1, 2);
    commsLayout->addWidget(m_pLinkCheck, 2, 2, Qt::AlignTop);
    commsLayout->addWidget(m_pRunNote, 3, 0, 1, 3);
    commsLayout->setColumnStretch(1, 1);

    auto* dirs = new QGroupBox(QStringLiteral("ECG Directory"), this);
    auto* dirsLayout = new QVBoxLayout(dirs);
    dirsLayout->addWidget(
        new QLabel(QStringLiteral("When opening or importing files, use the directory"), dirs));
    auto* ruleRow = new QHBoxLayout;
    m_pDirRules = RadioGroup(dirs, ruleRow,
                             {QStringLiteral("System default"), QStringLiteral("Last accessed"),
                              QStringLiteral("Set as below")});
    dirsLayout->addLayout(ruleRow);
    auto* dirRow = new QHBoxLayout;
    m_editDir = new QLineEdit(dirs);
    m_btnBrowse = new QPushButton(QStringLiteral("Browse"), dirs);
    dirRow->addWidget(m_editDir, 1);
    dirRow->addWidget(m_btnBrowse);
    dirsLayout->addLayout(dirRow);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(comms);
    layout->addWidget(dirs);
    layout->addStretch();

    for (int i = 0; i < 4; ++i)
        m_devices[std::size_t(i)] = start.PortDevice[std::size_t(i)];
    connect(m_pPorts, &QButtonGroup::idClicked, this, [this] {
        UpdateData();
        ShowPortDevice();
    });
    connect(m_pDevice, &QComboBox::currentTextChanged, this, [this](const QString& text) {
        if (m_nPort >= 0 && m_nPort < 4 && m_pDevice->isEnabled())
            m_devices[std::size_t(m_nPort)] = text;
    });
    connect(m_pLinkCheck, &QPushButton::clicked, this, &CGeneralPage::OnLinkCheck);
    connect(m_pDirRules, &QButtonGroup::idClicked, this, [this] { UpdateData(); });
    connect(m_btnBrowse, &QPushButton::clicked, this, &CGeneralPage::OnBrowse);
}

void CGeneralPage::OnSetActive() {
    m_strDir = m_start.InitDir;
    m_nPort = m_start.COMS;
    m_nDirSel = m_start.InitDirSel;
    for (int i = 0; i < 4; ++i)
        m_devices[std::size_t(i)] = m_start.PortDevice[std::size_t(i)];
    UpdateData(false);
}

void CGeneralPage::UpdateData(bool bSave) {
    if (bSave) {
        m_strDir = m_editDir->text();
        m_nPort = m_pPorts->checkedId();
        m_nDirSel = m_pDirRules->checkedId();
    } else {
        m_editDir->setText(m_strDir);
        Check(m_pPorts, m_nPort);
        Check(m_pDirRules, m_nDirSel);
        ShowPortDevice();
    }
    const bool bSetBelow = m_nDirSel == kDirSetBelow;
    m_editDir->setEnabled(bSetBelow);
    m_btnBrowse->setEnabled(bSetBelow);
}

void CGeneralPage::ShowPortDevice() {
    const bool bPort = m_nPort >= 0 && m_nPort < 4;
    m_pDevice->setEnabled(false); // showing a port's device is not an edit of it
    m_pDevice->setEditText(bPort ? m_devices[std::size_t(m_nPort)] : QString());
    m_pDevice->setEnabled(bPort);
}

void CGeneralPage::StoreInto(ProfileSettings& out) const {
    out.InitDir = m_strDir;
    out.InitDirSel = m_nDirSel;
    out.COMS = m_nPort;
    for (int i = 0; i < 4; ++i)
        out.PortDevice[std::size_t(i)] = m_devices[std::size_t(i)];
}

void CGeneralPage::OnLinkCheck() {
    UpdateData();
    bool bFound = false;
    if (m_nRunPort > 0) {
        // What a session of this run would reach.
        bFound = LinkTest(m_nRunPort - 1, m_lines, this);
    } else {
        if (m_nPort < 0 || m_nPort > 3) {
            m_prompter.Ask(QStringLiteral("Please select a port first."), Prompter::Buttons::Ok,
                           Prompter::Icon::Error, QStringLiteral("Comms unselected"));
            return;
        }
        // The device shown, before it is saved.
        const QString& shown = m_devices[std::size_t(m_nPort)];
        const bool bEdited = shown != m_start.PortDevice[std::size_t(m_nPort)];
        bFound = LinkTest(m_nPort, bEdited ? WithPortDevice(m_lines, m_nPort + 1, shown) : m_lines,
                          this);
    }
    if (bFound)
        m_prompter.Ask(QStringLiteral("A KS770Vet is found on this port."), Prompter::Buttons::Ok,
                       Prompter::Icon::Information, QStringLiteral("Links check OK"));
    else
        m_prompter.Ask(QStringLiteral("A KS770Vet is NOT found on this port."),
                       Prompter::Buttons::Ok, Prompter::Icon::Error,
                       QStringLiteral("Links check failed"));
}

void CGeneralPage::OnBrowse() {
    const QString chosen = m_prompter.AskDirectory(QStringLiteral("Select the initial directory"),
                                                   QDir::currentPath());
    if (chosen.isEmpty())
        return;
    UpdateData();
    m_strDir = QDir::toNativeSeparators(chosen);
    UpdateData(false);
}
