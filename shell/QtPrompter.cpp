#include "QtPrompter.h"

#include <QApplication>
#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QRegularExpression>

#include "SystemColours.h"

namespace {

QMessageBox::Icon BoxIcon(Prompter::Icon icon) {
    switch (icon) {
    case Prompter::Icon::Information:
        return QMessageBox::Information;
    case Prompter::Icon::Warning:
        return QMessageBox::Warning;
    case Prompter::Icon::Error:
        return QMessageBox::Critical;
    case Prompter::Icon::Question:
        return QMessageBox::Question;
    case Prompter::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

// "*.vecg" in a filter such as "Vet ECG files (*.vecg)" gives "vecg".
QString DefaultSuffix(const QString& filter) {
    static const QRegularExpression pattern(QStringLiteral("\\*\\.(\\w+)"));
    const QRegularExpressionMatch m = pattern.match(filter);
    return m.hasMatch() ? m.captured(1) : QString();
}

} // namespace

QWidget* QtPrompter::Owner() const {
    if (QWidget* active = QApplication::activeWindow())
        return active;
    return m_owner;
}

Prompter::Answer QtPrompter::Ask(const QString& text, Buttons buttons, Icon icon,
                                 const QString& caption) {
    QMessageBox box(BoxIcon(icon), caption.isEmpty() ? AppTitle() : caption, text,
                    QMessageBox::NoButton, Owner());
    box.setTextFormat(Qt::PlainText);
    switch (buttons) {
    case Buttons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        box.setDefaultButton(QMessageBox::Ok);
        break;
    case Buttons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        break;
    case Buttons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Yes);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    case QMessageBox::Cancel:
        return Answer::Cancel;
    default:
        break;
    }
    // Closing a box without a Cancel button counts as its last answer.
    return buttons == Buttons::Ok      ? Answer::Ok
           : buttons == Buttons::YesNo ? Answer::No
                                       : Answer::Cancel;
}

QString QtPrompter::AskFileName(FileDialog kind, const QString& directory,
                                const QString& proposedName, const QString& filter) {
    const bool bSave = kind == FileDialog::Save;
    QString start = directory;
    if (!proposedName.isEmpty())
        start = directory.isEmpty() ? proposedName : QDir(directory).filePath(proposedName);

    QFileDialog dialog(Owner(), bSave ? QStringLiteral("Save As") : QStringLiteral("Open"), start,
                       filter);
    dialog.setAcceptMode(bSave ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(bSave ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (bSave) // the suffix is added before the dialog checks for an existing file
        dialog.setDefaultSuffix(DefaultSuffix(filter));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

QString QtPrompter::AskDirectory(const QString& title, const QString& start) {
    return QFileDialog::getExistingDirectory(Owner(), title, start, QFileDialog::ShowDirsOnly);
}

bool QtPrompter::AskColour(std::uint32_t initial, std::uint32_t* chosen) {
    const QColor colour = QColorDialog::getColor(ToQColor(initial), Owner());
    if (!colour.isValid())
        return false;
    *chosen = ToColourRef(colour);
    return true;
}
