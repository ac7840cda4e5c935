#pragma once

#include "RecordingDetails.h"

#include <QDialog>

class Prompter;
class QComboBox;
class QDoubleSpinBox;
class QLineEdit;
class QPlainTextEdit;

// "Recording details": who the recording is of. It shows the details it is given and, on OK,
// hands back what was entered; a birth date that is not a date keeps the dialog open.
class CDetailsDlg : public QDialog {
    Q_OBJECT
  public:
    CDetailsDlg(const RecordingDetails& details, Prompter& prompter, QWidget* parent = nullptr);

    // The fields as entered; the birth date is null when its field is empty or not a date.
    RecordingDetails Details() const;
    void accept() override;

    QLineEdit* m_pName;
    QComboBox* m_pSpecies;
    QLineEdit* m_pBreed;
    QComboBox* m_pSex;
    QLineEdit* m_pBorn;
    QLineEdit* m_pAge;
    QDoubleSpinBox* m_pWeight;
    QLineEdit* m_pOwner;
    QLineEdit* m_pCase;
    QLineEdit* m_pClinician;
    QPlainTextEdit* m_pNotes;

  private:
    QDate Born(bool* pbValid) const;

    Prompter& m_prompter;
};
