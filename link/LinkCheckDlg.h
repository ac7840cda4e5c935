#pragma once

#include "MSComm.h"

#include <QDialog>
#include <QString>

class QLabel;
class QProgressBar;

// Checks that a KS770Vet answers on a port: opens it at 19200 baud, sends ESC V and compares the
// answer with the identifier. Ends with Accepted exactly when the unit answered with it.
class CLinkCheckDlg : public QDialog {
    Q_OBJECT
  public:
    explicit CLinkCheckDlg(LineFactory lines, QWidget* parent = nullptr);

    int m_nPort = -1;  // 1-based port to check; -1: none
    QString m_strPort; // the port as shown

    // The answer received, or "(Nothing)", once the check got that far.
    QString Answer() const { return m_strAnswer; }

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void RunCheck();
    void ShowStep(const QString& action, int step);

    CMSComm m_comm;
    QLabel* m_pPortLabel;
    QLabel* m_pActionLabel;
    QProgressBar* m_pProgress;
    QString m_strAnswer;
    bool m_bStarted = false;
};

// Runs the check for a port index as the settings hold it (0 to 3); true when the unit answered.
bool LinkTest(int nPortIndex, LineFactory lines, QWidget* parent = nullptr);

// Lets `ms` milliseconds pass with the event loop running, so that serial data keeps arriving,
// but without taking user input.
void WaitWithoutInput(int ms);
