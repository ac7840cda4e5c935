#include "LinkCheckDlg.h"

#include "RecorderProtocol.h"

#include <QEventLoop>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <QVBoxLayout>

void WaitWithoutInput(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

CLinkCheckDlg::CLinkCheckDlg(LineFactory lines, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_comm(std::move(lines)) {
    setWindowTitle(QStringLiteral("Communication link check"));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    auto* title = new QLabel(QStringLiteral("Checking Comms port"), this);
    m_pPortLabel = new QLabel(this);
    m_pPortLabel->setAlignment(Qt::AlignCenter);
    m_pPortLabel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_pPortLabel->setMinimumWidth(40);
    auto* top = new QHBoxLayout;
    top->addWidget(title);
    top->addWidget(m_pPortLabel);
    top->addStretch();
    layout->addLayout(top);
    m_pActionLabel = new QLabel(this);
    m_pActionLabel->setMinimumWidth(280);
    layout->addWidget(m_pActionLabel);
    m_pProgress = new QProgressBar(this);
    m_pProgress->setRange(0, 4);
    m_pProgress->setValue(0);
    m_pProgress->setTextVisible(false);
    layout->addWidget(m_pProgress);
}

void CLinkCheckDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    m_pPortLabel->setText(m_strPort);
    if (!m_bStarted) {
        // The check runs once, half a second after the dialog appears.
        m_bStarted = true;
        QTimer::singleShot(500, this, &CLinkCheckDlg::RunCheck);
    }
}

void CLinkCheckDlg::ShowStep(const QString& action, int step) {
    m_pActionLabel->setText(action);
    m_pPortLabel->setText(m_strPort);
    m_pProgress->setValue(step);
}

void CLinkCheckDlg::RunCheck() {
    if (m_nPort == -1) {
        reject();
        return;
    }
    ShowStep(QStringLiteral("Opening Communication link"), 1);
    m_comm.SetCommPort(short(m_nPort));
    if (m_comm.GetPortOpen())
        m_comm.SetPortOpen(false);
    m_comm.SetSettings(QString::fromLatin1(kIdleSettings));
    m_comm.SetInputMode(0);
    m_comm.SetRThreshold(0);
    if (!m_comm.SetPortOpen(true)) {
        // No line to check: the callers treat it as a unit that is not there.
        reject();
        return;
    }
    WaitWithoutInput(250);

    ShowStep(QStringLiteral("Sending identifier to Communication link"), 2);
    m_comm.SetOutput(kIdentifyCommand);
    WaitWithoutInput(250);

    const QByteArray answer = m_comm.GetInBufferCount() < 1 ? QByteArray() : m_comm.GetInput();
    m_strAnswer = answer.isEmpty() ? QStringLiteral("(Nothing)") : QString::fromLatin1(answer);
    ShowStep(QStringLiteral("Receiving ") + m_strAnswer, 3);
    WaitWithoutInput(250);

    ShowStep(QStringLiteral("Closing Communication link"), 3);
    if (m_comm.GetPortOpen())
        m_comm.SetPortOpen(false);
    m_pProgress->setValue(4);
    WaitWithoutInput(250);

    if (answer == QByteArray(kIdentifier))
        accept();
    else
        reject();
}

bool LinkTest(int nPortIndex, LineFactory lines, QWidget* parent) {
    CLinkCheckDlg dlg(std::move(lines), parent);
    dlg.m_nPort = nPortIndex + 1;
    dlg.m_strPort = QString::number(dlg.m_nPort);
    return dlg.exec() == QDialog::Accepted;
}
