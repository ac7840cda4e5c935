#include "AdvancePage.h"

#include "ProfileSettings.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

CAdvancePage::CAdvancePage(const ProfileSettings& start, QWidget* parent)
    : QWidget(parent), m_bRealTimeOption(start.RealTimeFilter) {
    auto* group = new QGroupBox(QStringLiteral("Real time filter"), this);
    m_pRealTime = new QCheckBox(
        QStringLiteral("Perform real time filtering during recording/monitoring"), group);
    auto* note = new QLabel(QStringLiteral("Note:"), group);
    note->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto* grid = new QGridLayout(group);
    grid->addWidget(m_pRealTime, 0, 0, 1, 2);
    grid->addWidget(note, 1, 0);
    int row = 1;
    for (const char* text :
         {"This option is only effective if you have a very fast computer.\nThe minimum "
          "requirement for this option is",
          "Intel Celeron 800MHz and above",
          "Should the system crash when you enable this,\nReboot and disable it before recording "
          "again"})
        grid->addWidget(new QLabel(QString::fromLatin1(text), group), row++, 1);
    grid->setColumnStretch(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addStretch();
}

void CAdvancePage::OnSetActive() {
    m_pRealTime->setChecked(m_bRealTimeOption != 0);
}

void CAdvancePage::OnKillActive() {
    m_bRealTimeOption = m_pRealTime->isChecked() ? 1 : 0;
}

void CAdvancePage::StoreInto(ProfileSettings& out) const {
    out.RealTimeFilter = m_bRealTimeOption;
}
