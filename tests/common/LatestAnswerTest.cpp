// The rule every screen that asks the service again keeps: a late answer to an earlier request
// changes nothing once a later request's answer was shown, and only then.
#include "common/LatestAnswer.h"

#include <gtest/gtest.h>

TEST(LatestAnswer, ALateAnswerToAnEarlierRequestChangesNothingOnceALaterOneIsShown)
{
    LatestAnswer answers;
    const quint64 first = answers.ask();
    const quint64 second = answers.ask();
    EXPECT_LT(first, second);
    // Nothing shown yet: either answer may show.
    EXPECT_FALSE(answers.stale(first));
    EXPECT_FALSE(answers.stale(second));

    // The second answers first and is shown; the first, coming after it, is too late.
    answers.taken(second);
    EXPECT_TRUE(answers.stale(first));
    EXPECT_FALSE(answers.stale(second));

    // In order, each answer replaces the one before.
    const quint64 third = answers.ask();
    EXPECT_FALSE(answers.stale(third));
    answers.taken(third);
    EXPECT_TRUE(answers.stale(second));
    const quint64 fourth = answers.ask();
    EXPECT_FALSE(answers.stale(fourth));
}

TEST(LatestAnswer, AFailedLaterAnswerLetsTheOlderGoodOneShow)
{
    LatestAnswer answers;
    const quint64 older = answers.ask();
    const quint64 newer = answers.ask();
    // The newer request failed or said nothing usable: it is never taken, so the older answer,
    // coming after it, still shows rather than leaving the screen empty.
    EXPECT_FALSE(answers.stale(older));
    answers.taken(older);
    // It blocks nothing later: the newer one, had it come after all, would still show.
    EXPECT_FALSE(answers.stale(newer));
    answers.taken(newer);
    EXPECT_TRUE(answers.stale(older));
    // A number below the bar never lowers it.
    answers.taken(older);
    EXPECT_TRUE(answers.stale(older));
}
