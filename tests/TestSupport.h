#pragma once

#include "Prompter.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <deque>

// Answers the program's questions from a script and remembers what was asked.
class ScriptedPrompter : public Prompter {
  public:
    Answer Ask(const QString& text, Buttons buttons, Icon, const QString&) override {
        asked << text;
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

    QStringList asked;
    std::deque<Answer> answers;
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
