#pragma once

#include <QString>

// Message boxes and questions go through this seam, so that the program shows them in a
// dialog, scripted runs print them, and tests answer them.
class Prompter {
  public:
    enum class Buttons { Ok, YesNo, YesNoCancel };
    enum class Icon { Information, Warning, Error, Question };
    enum class Answer { Ok, Yes, No, Cancel };

    virtual ~Prompter() = default;
    virtual Answer Ask(const QString& text, Buttons buttons, Icon icon) = 0;

    void Tell(const QString& text, Icon icon = Icon::Error) { Ask(text, Buttons::Ok, icon); }
};
