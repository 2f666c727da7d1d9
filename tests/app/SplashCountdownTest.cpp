// The splash countdown: what it shows, that it always ends, and that it ends once.
#include <QJsonDocument>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include "app/AdClickRoute.h"
#include "app/SplashCountdown.h"
#include "uikit/UiTiming.h"

TEST(SplashCountdown, ReadsCountsLikeTheServiceWritesThem)
{
    EXPECT_EQ(SplashCountdown::parseSeconds(QStringLiteral("3")), 3);
    EXPECT_EQ(SplashCountdown::parseSeconds(QStringLiteral("+5")), 5);
    EXPECT_EQ(SplashCountdown::parseSeconds(QStringLiteral("-2")), -2);
    EXPECT_EQ(SplashCountdown::parseSeconds(QStringLiteral("0")), 0);
    EXPECT_EQ(SplashCountdown::parseSeconds(QStringLiteral("9223372036854775807")), Q_INT64_C(9223372036854775807));
    EXPECT_EQ(SplashCountdown::parseSeconds(QStringLiteral("-9223372036854775808")), std::numeric_limits<qint64>::min());
    for (const char *bad : {"", "abc", " 3", "3 ", "3.0", "+", "-", "1e3", "9223372036854775808", "٣"})
        EXPECT_EQ(SplashCountdown::parseSeconds(QString::fromUtf8(bad)), std::nullopt) << bad;
}

TEST(SplashCountdown, ThreeShowsThreeTwoOneZeroThenEndsOnce)
{
    UiTimingScope timing(0.01);
    SplashCountdown countdown;
    QStringList titles;
    QObject::connect(&countdown, &SplashCountdown::titleChanged, [&](const QString &t) { titles << t; });
    QSignalSpy dismissed(&countdown, &SplashCountdown::dismissed);
    countdown.start(QStringLiteral("3"));
    EXPECT_TRUE(countdown.controlVisible());
    ASSERT_TRUE(QTest::qWaitFor([&] { return dismissed.count() > 0; }, 5000));
    EXPECT_EQ(titles, (QStringList{QStringLiteral("3s"), QStringLiteral("2s"), QStringLiteral("1s"), QStringLiteral("0s")}));
    EXPECT_FALSE(countdown.isRunning());
    // Neither further ticks nor a late close or click end it again.
    countdown.tick();
    EXPECT_FALSE(countdown.close());
    EXPECT_FALSE(countdown.tap());
    EXPECT_EQ(dismissed.count(), 1);
    EXPECT_EQ(countdown.ending(), SplashCountdown::Ending::Dismissed);
}

TEST(SplashCountdown, ZeroShowsZeroAndEndsOnTheNextTick)
{
    UiTimingScope timing(0.01);
    SplashCountdown countdown;
    QSignalSpy dismissed(&countdown, &SplashCountdown::dismissed);
    countdown.start(QStringLiteral("0"));
    EXPECT_EQ(countdown.title(), QStringLiteral("0s"));
    countdown.tick();
    EXPECT_EQ(dismissed.count(), 1);
}

TEST(SplashCountdown, UnreadableCountFallsBackToThreeWithTheControlShown)
{
    UiTimingScope timing(0.01);
    for (const std::optional<QString> &value : {std::optional<QString>(), std::optional<QString>(QString()),
                                                std::optional<QString>(QStringLiteral("abc"))}) {
        SplashCountdown countdown;
        QSignalSpy dismissed(&countdown, &SplashCountdown::dismissed);
        countdown.start(value);
        EXPECT_TRUE(countdown.controlVisible());
        EXPECT_TRUE(countdown.isRunning());
        EXPECT_EQ(countdown.title(), QStringLiteral("3s"));
        ASSERT_TRUE(QTest::qWaitFor([&] { return dismissed.count() > 0; }, 5000));
    }
}

TEST(SplashCountdown, OneOfCloseOrTapNeverBoth)
{
    UiTimingScope timing(0.01);
    SplashCountdown closed;
    QSignalSpy closedSpy(&closed, &SplashCountdown::dismissed);
    closed.start(QStringLiteral("5"));
    EXPECT_TRUE(closed.close());
    EXPECT_FALSE(closed.tap());
    EXPECT_FALSE(closed.close());
    EXPECT_EQ(closedSpy.count(), 1);
    EXPECT_FALSE(closed.isRunning());

    SplashCountdown tapped;
    QSignalSpy tappedSpy(&tapped, &SplashCountdown::dismissed);
    tapped.start(QStringLiteral("1"));
    EXPECT_TRUE(tapped.tap());
    EXPECT_FALSE(tapped.close());
    EXPECT_FALSE(tapped.isRunning());
    tapped.tick();
    EXPECT_EQ(tappedSpy.count(), 0);
    EXPECT_EQ(tapped.ending(), SplashCountdown::Ending::Tapped);
}

TEST(AdClickRoute, EveryLinkLeadsToTheMainContentAndOnlyWebAddressesLeave)
{
    using Kind = AdClickRoute::Kind;
    auto route = [](const char *json) {
        return AdClickRoute::fromLink(QJsonDocument::fromJson(json).object());
    };
    EXPECT_EQ(AdClickRoute::fromLink(std::nullopt).kind, Kind::MainOnly);
    EXPECT_EQ(route("{}").kind, Kind::MainOnly);
    EXPECT_EQ(route("{\"type\":1}").kind, Kind::MainOnly);
    EXPECT_EQ(route("{\"type\":\"other\"}").kind, Kind::MainOnly);
    EXPECT_EQ(route("{\"type\":\"buy\"}").kind, Kind::Buy);
    EXPECT_EQ(route("{\"type\":\"my\"}").kind, Kind::My);
    EXPECT_EQ(route("{\"type\":\"newsList\"}").kind, Kind::NewsList);
    EXPECT_EQ(route("{\"type\":\"lottery\"}").kind, Kind::Lottery);
    const AdClickRoute outer = route("{\"type\":\"outer\",\"value\":\"https://example.org/a?b=1\"}");
    EXPECT_EQ(outer.kind, Kind::Outer);
    EXPECT_EQ(outer.url, QUrl(QStringLiteral("https://example.org/a?b=1")));
    EXPECT_EQ(route("{\"type\":\"outer\",\"value\":\"file:///etc/passwd\"}").kind, Kind::MainOnly);
    EXPECT_EQ(route("{\"type\":\"outer\",\"value\":\"javascript:alert(1)\"}").kind, Kind::MainOnly);
    EXPECT_EQ(route("{\"type\":\"outer\"}").kind, Kind::MainOnly);
}
