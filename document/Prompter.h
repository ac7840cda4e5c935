#pragma once

#include <QString>

#include <cstdint>

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

    // Asks for a folder, starting at `start`; an empty result means the user cancelled.
    virtual QString AskDirectory(const QString& /*title*/, const QString& /*start*/) {
        return QString();
    }
    // Asks for a colour (0x00BBGGRR), starting from `initial`; false when the user cancelled.
    virtual bool AskColour(std::uint32_t /*initial*/, std::uint32_t* /*chosen*/) { return false; }

    void Tell(const QString& text, Icon icon = Icon::Error) { Ask(text, Buttons::Ok, icon); }
};
