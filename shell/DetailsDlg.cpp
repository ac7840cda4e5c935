#include "DetailsDlg.h"

#include "Prompter.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace {

// Longer texts than a page band or a practice system needs are cut at entry.
constexpr int kMaxLineLength = 120;
constexpr int kMaxNotesLength = 4000;

QLineEdit* LineEdit(const QString& text, const QString& placeholder = QString()) {
    auto* edit = new QLineEdit(text);
    edit->setMaxLength(kMaxLineLength);
    edit->setPlaceholderText(placeholder);
    return edit;
}

} // namespace

CDetailsDlg::CDetailsDlg(const RecordingDetails& d, Prompter& prompter, QWidget* parent)
    : QDialog(parent), m_prompter(prompter) {
    setWindowTitle(QStringLiteral("Recording details"));
    m_pName = LineEdit(d.name);
    m_pSpecies = new QComboBox;
    for (const SpeciesReference& r : kSpeciesReferences)
        m_pSpecies->addItem(QString::fromLatin1(r.name), int(r.species));
    m_pSpecies->setCurrentIndex(std::max(0, m_pSpecies->findData(int(d.species))));
    m_pBreed = LineEdit(d.breed);
    m_pSex = new QComboBox;
    for (const SexName& s : kSexNames)
        m_pSex->addItem(QString::fromLatin1(s.name), int(s.sex));
    m_pSex->setCurrentIndex(std::max(0, m_pSex->findData(int(d.sex))));
    m_pBorn = LineEdit(d.born.isValid() ? d.born.toString(Qt::ISODate) : QString(),
                       QStringLiteral("YYYY-MM-DD"));
    m_pAge = LineEdit(d.age, QStringLiteral("when the birth date is not known"));
    m_pWeight = new QDoubleSpinBox;
    // 0 stands for a weight nobody entered.
    m_pWeight->setRange(0.0, 2000.0);
    m_pWeight->setDecimals(2);
    m_pWeight->setSuffix(QStringLiteral(" kg"));
    m_pWeight->setSpecialValueText(QStringLiteral(" "));
    m_pWeight->setValue(d.weightKg.value_or(0.0));
    m_pOwner = LineEdit(d.owner);
    m_pCase = LineEdit(d.caseNumber);
    m_pClinician = LineEdit(d.clinician);
    m_pNotes = new QPlainTextEdit(d.notes);
    m_pNotes->setTabChangesFocus(true);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Animal:"), m_pName);
    form->addRow(QStringLiteral("S&pecies:"), m_pSpecies);
    form->addRow(QStringLiteral("&Breed:"), m_pBreed);
    form->addRow(QStringLiteral("Se&x:"), m_pSex);
    form->addRow(QStringLiteral("Bo&rn:"), m_pBorn);
    form->addRow(QStringLiteral("A&ge:"), m_pAge);
    form->addRow(QStringLiteral("&Weight:"), m_pWeight);
    form->addRow(QStringLiteral("&Owner:"), m_pOwner);
    form->addRow(QStringLiteral("&Case:"), m_pCase);
    form->addRow(QStringLiteral("C&linician:"), m_pClinician);
    form->addRow(QStringLiteral("&Notes:"), m_pNotes);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &CDetailsDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CDetailsDlg::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    m_pName->setFocus();
}

QDate CDetailsDlg::Born(bool* pbValid) const {
    const QString text = m_pBorn->text().trimmed();
    const QDate born = QDate::fromString(text, Qt::ISODate);
    *pbValid = text.isEmpty() || (born.isValid() && born <= QDate::currentDate());
    return *pbValid ? born : QDate();
}

RecordingDetails CDetailsDlg::Details() const {
    RecordingDetails d;
    d.name = m_pName->text().trimmed();
    d.species = Species(m_pSpecies->currentData().toInt());
    d.breed = m_pBreed->text().trimmed();
    d.sex = Sex(m_pSex->currentData().toInt());
    bool bValid = false;
    d.born = Born(&bValid);
    d.age = m_pAge->text().trimmed();
    if (m_pWeight->value() > 0.0)
        d.weightKg = m_pWeight->value();
    d.owner = m_pOwner->text().trimmed();
    d.caseNumber = m_pCase->text().trimmed();
    d.clinician = m_pClinician->text().trimmed();
    d.notes = m_pNotes->toPlainText().left(kMaxNotesLength);
    return d;
}

void CDetailsDlg::accept() {
    bool bValid = false;
    Born(&bValid);
    if (!bValid) {
        m_prompter.Tell(QStringLiteral("\"%1\" is not a date of birth: enter it as YYYY-MM-DD, "
                                       "or leave it empty and give the age.")
                            .arg(m_pBorn->text()),
                        Prompter::Icon::Warning);
        m_pBorn->setFocus();
        return;
    }
    QDialog::accept();
}
