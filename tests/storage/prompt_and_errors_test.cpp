#include "scripted_prompt.h"
#include "storage/errors.h"
#include "storage/prompt.h"

#include <gtest/gtest.h>

using namespace korvane;

TEST(Prompt, ScriptedPromptAnswersInOrderAndRestoresThePrevious) {
    {
        test::ScriptedPrompt prompt;
        prompt.QueueAnswer(pbYes);
        prompt.QueueAnswer(pbNo);
        EXPECT_EQ(CurrentPrompt().Ask(PromptKind::Warning, "first", pbYes | pbNo), pbYes);
        CurrentPrompt().Inform(PromptKind::Information, "between");
        EXPECT_EQ(CurrentPrompt().Ask(PromptKind::Confirmation, "second", pbYes | pbNo), pbNo);
        EXPECT_EQ(prompt.TextsShown(), (std::vector<std::string>{"first", "between", "second"}));
    }
    // With nothing installed, questions are refused rather than answered yes.
    EXPECT_EQ(CurrentPrompt().Ask(PromptKind::Warning, "nobody", pbYes | pbNo), pbCancel);
}

TEST(Errors, MessageStaysReadableWhileTheExceptionIsAlive) {
    try {
        throw handledException("Process Failed");
    } catch (const KorvaneError& e) {
        EXPECT_EQ(InFlightErrorMessage(), "Process Failed");
        EXPECT_STREQ(e.what(), "Process Failed");
    }
    EXPECT_EQ(InFlightErrorMessage(), "");
}
