// The line selector bar, its mode badge and the mode list; flags come over real HTTP from the
// stand-in service.

#include <QLabel>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include "LineTestSupport.h"
#include "uikit/ImageLoader.h"
#include "common/DefaultsKeys.h"
#include "common/UserDefaults.h"
#include "home/AssetImageView.h"
#include "home/LineSelectorLook.h"
#include "home/unreached/NBModeListView.h"
#include "home/CharWrapLabel.h"
#include "home/NBSelectLineView.h"
#include "home/unreached/NBVPNModeCell.h"
#include "home/NBVPNModeView.h"
#include "support/StandinProcess.h"

namespace {

class LineSelectorTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_standin = new StandinProcess;
        ASSERT_TRUE(s_standin->start()) << s_standin->errorText().toStdString();
    }
    static void TearDownTestSuite()
    {
        delete s_standin;
        s_standin = nullptr;
    }
    void SetUp() override { UserDefaults::standard().removePersistentDomain(); }

    // A flag address that no earlier test fetched, so the cache cannot answer it.
    static QString flagUrl(const QString &code, int delayMs = 0)
    {
        static int serial = 0;
        return QStringLiteral("%1/static/flags/%2.png?delay_ms=%3&n=%4")
            .arg(s_standin->baseUrl(), code).arg(delayMs).arg(++serial);
    }

    static StandinProcess *s_standin;
};

StandinProcess *LineSelectorTest::s_standin = nullptr;

TEST_F(LineSelectorTest, NoLineShowsBestLineSmartModeAndSendsTheModeEvent)
{
    EventRecorder recorder;
    NBSelectLineView bar;
    bar.update(std::nullopt);
    EXPECT_EQ(bar.nameText()->text(), QStringLiteral("Best line"));
    EXPECT_EQ(bar.lineFlagView()->assetName(), QStringLiteral("AI"));
    EXPECT_EQ(bar.vpnModeView()->nameText()->text(), QStringLiteral("智能模式"));
    EXPECT_EQ(bar.vpnModeView()->flagView()->assetName(), QStringLiteral("AI"));
    // Once from the bar and once from the badge, as the analytics have always counted it.
    EXPECT_EQ(recorder.events, QStringList(2, QStringLiteral("selectModePage_appMode_click")));
}

TEST_F(LineSelectorTest, ALongNameBreaksAtAnyCharacterAndIsDrawnInItsColour)
{
    NBSelectLineView bar;
    bar.resize(340, 91);
    OOHomeNodeModel line = makeLine(1, QStringLiteral("SingaporePremiumRelay0001"));
    bar.update(line);
    auto *name = qobject_cast<CharWrapLabel *>(bar.nameText());
    ASSERT_NE(name, nullptr);
    // No blank to break at: the name still goes on to a second line, all of it shown.
    const QStringList lines = name->lines(name->width());
    ASSERT_GE(lines.size(), 2);
    EXPECT_EQ(lines.join(QString()), line.name);
    const QImage picture = name->grab().toImage();
    int light = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            light += picture.pixelColor(x, y).lightness() > 200 ? 1 : 0;
    EXPECT_GT(light, 20) << "the name is drawn in its near-white";
}

TEST_F(LineSelectorTest, GlobalLineLoadsItsFlagOverHttp)
{
    EventRecorder recorder;
    NBSelectLineView bar;
    OOHomeNodeModel line = makeLine(101, QStringLiteral("东京 01"), 0, flagUrl(QStringLiteral("jp")));
    line.isGlobel = true;
    bar.update(line);
    EXPECT_EQ(bar.nameText()->text(), QStringLiteral("东京 01"));
    EXPECT_EQ(bar.vpnModeView()->nameText()->text(), QStringLiteral("全局模式"));
    EXPECT_EQ(bar.vpnModeView()->flagView()->assetName(), QStringLiteral("all"));
    EXPECT_EQ(recorder.events, QStringList(2, QStringLiteral("selectModePage_globalMode_click")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return bar.lineFlagView()->showsRemoteImage(); }));
    EXPECT_EQ(bar.lineFlagView()->remoteUrl(), QUrl(*line.abbrUrl));
}

TEST_F(LineSelectorTest, UnusableFlagAddressesKeepTheModeIcon)
{
    NBSelectLineView bar;
    for (const QString &address : {QString(), QStringLiteral("not a url"), QStringLiteral("/static/flags/jp.png"),
                                   QStringLiteral("ftp://host/flag.png")}) {
        bar.update(makeLine(1, QStringLiteral("a"), 0, address));
        EXPECT_EQ(bar.lineFlagView()->assetName(), QStringLiteral("AI")) << address.toStdString();
        EXPECT_FALSE(bar.lineFlagView()->remoteUrl().isValid());
    }
}

TEST_F(LineSelectorTest, SlowFlagOfAnEarlierLineNeverReplacesTheNewerPicture)
{
    NBSelectLineView bar;
    const QString slow = flagUrl(QStringLiteral("us"), 600);
    QSignalSpy handled(&ImageLoader::shared(), &ImageLoader::downloadHandled);

    // A slow flag, then a line with a fast flag: the fast one stays.
    bar.update(makeLine(102, QStringLiteral("洛杉矶"), 1, slow));
    const QString fast = flagUrl(QStringLiteral("jp"));
    bar.update(makeLine(101, QStringLiteral("东京"), 0, fast));
    ASSERT_TRUE(QTest::qWaitFor([&] {
        for (const QList<QVariant> &call : handled)
            if (call.value(0).toUrl() == QUrl(slow))
                return true;
        return false;
    }));
    EXPECT_EQ(bar.lineFlagView()->remoteUrl(), QUrl(fast));
    EXPECT_TRUE(bar.lineFlagView()->showsRemoteImage());

    // A slow flag, then a line without one: the mode icon stays.
    const QString slow2 = flagUrl(QStringLiteral("de"), 600);
    bar.update(makeLine(501, QStringLiteral("法兰克福"), 1, slow2));
    bar.update(makeLine(301, QStringLiteral("上海"), 0));
    ASSERT_TRUE(QTest::qWaitFor([&] {
        for (const QList<QVariant> &call : handled)
            if (call.value(0).toUrl() == QUrl(slow2))
                return true;
        return false;
    }));
    QCoreApplication::processEvents();
    EXPECT_FALSE(bar.lineFlagView()->showsRemoteImage());
    EXPECT_EQ(bar.lineFlagView()->assetName(), QStringLiteral("AI"));
}

TEST_F(LineSelectorTest, AClickAnywhereOnTheBarCallsTheOneTapBlock)
{
    HostWindow host;
    NBSelectLineView bar(host.widget());
    bar.show();
    int taps = 0;
    int stale = 0;
    bar.tapActionBlock = [&] { ++stale; };
    bar.tapActionBlock = [&] { ++taps; };
    // On the badge: the bar's click, not the mode list.
    const QPoint badge = bar.vpnModeView()->mapTo(&bar, bar.vpnModeView()->rect().center());
    QTest::mouseClick(&bar, Qt::LeftButton, {}, badge);
    QTest::mouseClick(&bar, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(taps, 2);
    EXPECT_EQ(stale, 0);
    EXPECT_TRUE(host.widget()->findChildren<NBModeListView *>().isEmpty());
}

TEST_F(LineSelectorTest, ModeListMarksTheStoredMode)
{
    NBModeListView absent;
    EXPECT_TRUE(absent.cellAt(0)->isShownSelected());
    EXPECT_FALSE(absent.cellAt(1)->isShownSelected());

    UserDefaults::standard().setInteger(DefaultsKeys::kProxyMode, 1);
    NBModeListView global;
    EXPECT_FALSE(global.cellAt(0)->isShownSelected());
    EXPECT_TRUE(global.cellAt(1)->isShownSelected());

    UserDefaults::standard().setString(DefaultsKeys::kProxyMode, QStringLiteral("1"));
    NBModeListView text;
    EXPECT_FALSE(text.cellAt(0)->isShownSelected());
    EXPECT_FALSE(text.cellAt(1)->isShownSelected());
    text.loadModes();
    text.loadModes();
    EXPECT_EQ(text.datas().size(), 2);
    EXPECT_EQ(text.cellAt(1)->titleLabel()->text(), QStringLiteral("全局模式"));
}

TEST_F(LineSelectorTest, ChoosingGlobalInTheModeListStoresItAndUpdatesTheBadge)
{
    HostWindow host;
    NBVPNModeView badge(host.widget());
    badge.update(false);
    NBModeListView *list = NBModeListView::showForBadge(badge);
    ASSERT_NE(list, nullptr);
    int dismissed = 0;
    list->didDismissSuccessBlock = [&] { ++dismissed; };
    QPointer<NBModeListView> guard(list);
    const QPoint row = list->cellAt(1)->mapTo(list, list->cellAt(1)->rect().center());
    QTest::mouseClick(list, Qt::LeftButton, {}, row);
    EXPECT_EQ(UserDefaults::standard().integerValue(DefaultsKeys::kProxyMode), 1);
    EXPECT_EQ(badge.nameText()->text(), QStringLiteral("全局模式"));
    EXPECT_EQ(badge.flagView()->assetName(), QStringLiteral("all"));
    EXPECT_EQ(dismissed, 1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return guard.isNull(); }));
}

TEST_F(LineSelectorTest, ModeListWithoutASelectBlockIgnoresRowClicks)
{
    NBModeListView list;
    list.resize(800, 500);
    EXPECT_FALSE(list.select(1));
    EXPECT_FALSE(UserDefaults::standard().contains(DefaultsKeys::kProxyMode));
    EXPECT_TRUE(list.cellAt(0)->isShownSelected());
}

TEST(LineSelectorLookTest, FlagAddressesMustBeAbsoluteWebAddresses)
{
    EXPECT_TRUE(LineSelectorLook::flagAddress(QStringLiteral("https://x.example/f.png")).isValid());
    EXPECT_TRUE(LineSelectorLook::flagAddress(QStringLiteral(" http://127.0.0.1:9/f.png ")).isValid());
    EXPECT_FALSE(LineSelectorLook::flagAddress(std::nullopt).isValid());
    EXPECT_FALSE(LineSelectorLook::flagAddress(QStringLiteral("/f.png")).isValid());
    EXPECT_FALSE(LineSelectorLook::flagAddress(QStringLiteral("file:///etc/passwd")).isValid());
    EXPECT_FALSE(LineSelectorLook::flagAddress(QStringLiteral("http://")).isValid());
}

} // namespace
