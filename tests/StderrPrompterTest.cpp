#include "StderrPrompter.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

using Answer = Prompter::Answer;
using Buttons = Prompter::Buttons;

} // namespace

TEST(StderrPrompter, OneLinePerMessageAndTheAnswerThatChangesNothing) {
    struct Case {
        const char* prefix;
        std::optional<QString> context;
        QString caption, text;
        Buttons buttons;
        const char* line;
        Answer answer;
    };
    const Case cases[] = {
        {"zm540vet", std::nullopt, "", "Could not save \"/ecg/a.vecg\": No space left.",
         Buttons::Ok, "zm540vet: Could not save \"/ecg/a.vecg\": No space left.\n", Answer::Ok},
        {"zm540vet", std::nullopt, "Link\ncheck", "No answer.\nCheck the cable?", Buttons::YesNo,
         "zm540vet: Link check: No answer. Check the cable?\n", Answer::No},
        {"zm540vet", std::nullopt, "", "Save changes to Untitled?", Buttons::YesNoCancel,
         "zm540vet: Save changes to Untitled?\n", Answer::Cancel},
        {"zm540vet-cli", "in.vecg", "", "The is not a valid ZM540Vet ECG file", Buttons::Ok,
         "zm540vet-cli: in.vecg: The is not a valid ZM540Vet ECG file\n", Answer::Ok},
        {"zm540vet-cli", "", "", "Cannot open \"\": No such file.", Buttons::Ok,
         "zm540vet-cli: : Cannot open \"\": No such file.\n", Answer::Ok},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        StderrPrompter prompter{QString::fromLatin1(c.prefix)};
        if (c.context)
            prompter.SetContext(*c.context);
        EXPECT_FALSE(prompter.Failed());
        testing::internal::CaptureStderr();
        const Answer answer = prompter.Ask(c.text, c.buttons, Prompter::Icon::Question, c.caption);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), c.line);
        EXPECT_EQ(answer, c.answer);
        EXPECT_TRUE(prompter.Failed());
    }
}

TEST(StderrPrompter, LaterLinesNameTheNewContext) {
    StderrPrompter prompter(QStringLiteral("zm540vet-cli"));
    prompter.SetContext(QStringLiteral("in.vecg"));
    testing::internal::CaptureStderr();
    prompter.Tell(QStringLiteral("first"));
    prompter.SetContext(QStringLiteral("out.vecg"));
    prompter.Tell(QStringLiteral("second"));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "zm540vet-cli: in.vecg: first\nzm540vet-cli: out.vecg: second\n");
}
