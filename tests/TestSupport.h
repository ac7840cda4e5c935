#pragma once

#include "Prompter.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <deque>
#include <vector>

// Answers the program's questions from a script and remembers what was asked.
class ScriptedPrompter : public Prompter {
  public:
    Answer Ask(const QString& text, Buttons buttons, Icon icon, const QString& caption) override {
        asked << text;
        captions << caption;
        icons.push_back(icon);
        if (!answers.empty()) {
            const Answer a = answers.front();
            answers.pop_front();
            return a;
        }
        return buttons == Buttons::Ok ? Answer::Ok : Answer::No;
    }
    QString AskFileName(FileDialog kind, const QString& directory, const QString& proposedName,
                        const QString& filter) override {
        fileDialogs << QStringLiteral("%1|%2|%3|%4")
                           .arg(kind == FileDialog::Open ? "open" : "save", directory, proposedName,
                                filter);
        if (fileNames.empty())
            return QString();
        const QString name = fileNames.front();
        fileNames.pop_front();
        return name;
    }

    QString AskDirectory(const QString& title, const QString& start) override {
        fileDialogs << QStringLiteral("folder|%1|%2").arg(title, start);
        if (directories.empty())
            return QString();
        const QString d = directories.front();
        directories.pop_front();
        return d;
    }
    bool AskColour(std::uint32_t initial, std::uint32_t* chosen) override {
        colourAsks.push_back(initial);
        if (colours.empty())
            return false;
        *chosen = colours.front();
        colours.pop_front();
        return true;
    }

    QStringList asked;
    QStringList captions;    // the caption of each question, empty for the program's name
    std::vector<Icon> icons; // the icon of each question
    std::deque<Answer> answers;
    std::deque<QString> directories;       // answers to folder choosers; none: cancelled
    std::deque<std::uint32_t> colours;     // answers to colour choosers; none: cancelled
    std::vector<std::uint32_t> colourAsks; // the initial colour of each colour chooser
    // Each file dialog as "open|save", directory, proposed name and filter, joined by '|'.
    QStringList fileDialogs;
    std::deque<QString> fileNames;
};

QByteArray ReadAll(const QString& path);
void WriteAll(const QString& path, const QByteArray& bytes);

#include "ProfileSettings.h"
#include "ZM540Doc.h"

#include <QTemporaryDir>

#include <memory>

// A document with its own settings and prompter, and a scratch directory.
struct DocFixture {
    ProfileSettings settings;
    ScriptedPrompter prompter;
    std::unique_ptr<CZM540Doc> doc = std::make_unique<CZM540Doc>(settings, prompter);
    QTemporaryDir dir;

    QString Path(const QString& name) const { return dir.filePath(name); }
    // Puts a recording of n samples per lead into the document, as a session's stop would.
    void Record(bool bTwelveLead, int n, unsigned seed = 1);
};
