#pragma once

#include "Prompter.h"

#include <QPointer>
#include <QWidget>

// Asks the user through message boxes and file dialogs, owned by the active window (a dialog
// open over the main window, say) or else by the main window.
class QtPrompter : public Prompter {
  public:
    Answer Ask(const QString& text, Buttons buttons, Icon icon,
               const QString& caption = QString()) override;
    QString AskFileName(FileDialog kind, const QString& directory, const QString& proposedName,
                        const QString& filter) override;
    QString AskDirectory(const QString& title, const QString& start) override;
    bool AskColour(std::uint32_t initial, std::uint32_t* chosen) override;

    void SetOwner(QWidget* owner) { m_owner = owner; }

  private:
    QWidget* Owner() const;

    QPointer<QWidget> m_owner;
};

// The application's name, the caption of its message boxes.
inline QString AppTitle() {
    return QStringLiteral("ZM540 Vet");
}
