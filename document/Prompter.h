#pragma once

#include <QString>

// Message boxes and questions to the user go through this seam, so that the program shows them
// in dialogs, scripted runs print them, and tests answer them and check what was asked.
class Prompter {
  public:
    enum class Buttons { Ok, YesNo, YesNoCancel };
    enum class Icon { None, Information, Warning, Error, Question };
    enum class Answer { Ok, Yes, No, Cancel };
    enum class FileDialog { Open, Save };

    virtual ~Prompter() = default;
    // An empty caption means the application's name.
    virtual Answer Ask(const QString& text, Buttons buttons, Icon icon,
                       const QString& caption = QString()) = 0;
    // Asks for a file to open or save, starting in `directory` (empty: the platform's default)
    // with `proposedName` filled in; an empty result means the user cancelled.
    virtual QString AskFileName(FileDialog, const QString& /*directory*/,
                                const QString& /*proposedName*/, const QString& /*filter*/) {
        return QString();
    }

    void Tell(const QString& text, Icon icon = Icon::Error) { Ask(text, Buttons::Ok, icon); }
};
