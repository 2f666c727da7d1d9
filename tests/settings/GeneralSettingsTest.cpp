// The general settings and their pickers without the network: rows built from the stored
// settings on every appearance, the switches storing what they show, the pickers' choices and
// what follows them (the line page's order, the language signal), the pickers covering exactly
// the screen that presents them, the reset with and without a language change, and the cache
// clearing that leaves through the ordinary quit.
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QTest>

#include <gtest/gtest.h>

#include "app/NBMainWindowController.h"
#include "uikit/NBAlertView.h"
#include "uikit/NBDisableButton.h"
#include "uikit/NBNavView.h"
#include "uikit/UiTiming.h"
#include "uikit/WindowInUse.h"
#include "common/AppPaths.h"
#include "common/DefaultsKeys.h"
#include "common/Localization.h"
#include "common/MKUserInfoManager.h"
#include "common/NotificationCenter.h"
#include "common/NotificationNames.h"
#include "common/StringsTable.h"
#include "common/UserDefaults.h"
#include "home/unreached/NBLinesListModel.h"
#include "settings/general/GeneralSettings.h"
#include "settings/general/NBGeneralCell.h"
#include "settings/general/NBGeneralResetCell.h"
#include "settings/general/NBGeneralSwitchCell.h"
#include "settings/general/NBGeneralViewController.h"
#include "settings/general/NBLanguageCell.h"
#include "settings/general/NBLanguageViewController.h"
#include "settings/general/NBSortViewController.h"
#include "settings/general/OOGeneralModel.h"

namespace {

QString tableText(const QString &language, const QString &key)
{
    const QString folder = (language == QLatin1String("en") ? QStringLiteral("Base") : language) + QStringLiteral(".lproj");
    const auto table = StringsTable::parseFile(AppPaths::resourcePath(folder + QStringLiteral("/Localizable.strings")));
    return table ? table->value(key) : QString();
}

class GeneralSettingsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        UserDefaults::standard().removePersistentDomain();
        UserDefaults::standard().setString(DefaultsKeys::kAppLanguageKey, QStringLiteral("en"));
        // The window's content swap brings the screen in, as it does any screen of the window.
        m_host.show();
        m_screen = new NBGeneralViewController;
        m_host.setContentViewController(m_screen);
        m_screen->setGeometry(0, 0, 728, 500);
        m_token = NotificationCenter::defaultCenter().addObserver(
            NotificationNames::kSwitchLanguge, &m_host, [this](const Notification &) { ++m_languageSwitches; });
    }
    void TearDown() override
    {
        NotificationCenter::defaultCenter().removeObserver(m_token);
        WindowInUse::setContentWidget(nullptr);
        GeneralSettings::setQuitForTesting({});
    }

    template <class Cell>
    Cell *row(int index) const
    {
        return qobject_cast<Cell *>(m_screen->rowView(index));
    }
    NBBaseViewController *presented() const
    {
        const auto list = m_screen->presentations();
        return list.isEmpty() ? nullptr : list.last();
    }

    UiTimingScope m_scope{0.01};
    NBMainWindowController m_host;
    NBGeneralViewController *m_screen = nullptr;
    NotificationCenter::Token m_token = 0;
    int m_languageSwitches = 0;
};

} // namespace

TEST_F(GeneralSettingsTest, RowsFromAnEmptyStoreAndReadAgainOnEveryAppearance)
{
    ASSERT_EQ(m_screen->numberOfRows(), 5);
    QList<qint64> types;
    for (const OOGeneralModel &model : std::as_const(m_screen->datas))
        types << model.type;
    EXPECT_EQ(types, (QList<qint64>{0, 2, 3, 4, 5}));
    EXPECT_EQ(m_screen->navView()->titleLab()->text(), tableText("en", "GENERAL_TITLE"));
    EXPECT_TRUE(m_screen->navView()->backBtn()->isHidden());

    auto *autoConnection = row<NBGeneralSwitchCell>(0);
    auto *notifications = row<NBGeneralSwitchCell>(1);
    auto *order = row<NBGeneralCell>(2);
    auto *language = row<NBGeneralCell>(3);
    auto *reset = row<NBGeneralResetCell>(4);
    ASSERT_TRUE(autoConnection && notifications && order && language && reset);
    EXPECT_FALSE(autoConnection->isOn());
    EXPECT_FALSE(notifications->isOn());
    EXPECT_EQ(autoConnection->detailLab()->text(), tableText("en", "GENERAL_AUTO_CONNECTION_INFO"));
    EXPECT_EQ(order->subNameText()->text(), tableText("en", "GENERAL_ORDER_DEFAULT"));
    EXPECT_EQ(language->subNameText()->text(), tableText("en", "English"));
    EXPECT_FALSE(order->arrowImgView()->isHidden());
    EXPECT_EQ(reset->nameText()->text(), tableText("en", "GENERAL_RESET_ALL_SETTINGS"));
    // Heights: the explanation measured at 280 wide plus 35, then 38, 44, 44, 44.
    EXPECT_EQ(m_screen->rowHeight(0), GeneralSettings::autoConnectionRowHeight(autoConnection->detailLab()->text()));
    EXPECT_GT(m_screen->rowHeight(0), 35);
    EXPECT_EQ(m_screen->rowHeight(1), 38);
    EXPECT_EQ(autoConnection->height(), m_screen->rowHeight(0));
    // The explanation ends inside its own row: the text it wraps to fits under the title.
    const QRect detail = autoConnection->detailLab()->geometry();
    const int wrapped = autoConnection->detailLab()->heightForWidth(detail.width());
    EXPECT_LE(detail.top() + wrapped, autoConnection->height())
        << "the explanation runs into the notifications row";
    EXPECT_EQ(m_screen->tableView()->minimumHeight(), m_screen->rowHeight(0) + 38 + 3 * 44);

    // Any non-zero order counts as latency; the switches follow the store at the next appearance.
    UserDefaults::standard().setInteger(DefaultsKeys::kLineOrderType, 5);
    UserDefaults::standard().setBool(DefaultsKeys::kNotificationStateKey, true);
    // The screen leaves under the order picker and comes back when the picker closes.
    QTest::mouseClick(row<NBGeneralCell>(2), Qt::LeftButton);
    ASSERT_NE(presented(), nullptr);
    EXPECT_FALSE(m_screen->isAppearing());
    presented()->dismissAction();
    EXPECT_TRUE(m_screen->isAppearing());
    EXPECT_EQ(row<NBGeneralCell>(2)->subNameText()->text(), tableText("en", "GENERAL_ORDER_LATENCY"));
    EXPECT_TRUE(row<NBGeneralSwitchCell>(1)->isOn());
    // A text where a number belongs reads as the server order.
    UserDefaults::standard().setString(DefaultsKeys::kLineOrderType, QStringLiteral("1"));
    m_screen->buildRows();
    EXPECT_EQ(row<NBGeneralCell>(2)->subNameText()->text(), tableText("en", "GENERAL_ORDER_DEFAULT"));
}

TEST_F(GeneralSettingsTest, SwitchesStoreWhatTheyShow)
{
    QTest::mouseClick(row<NBGeneralSwitchCell>(0)->switchBtn(), Qt::LeftButton);
    EXPECT_EQ(UserDefaults::standard().integerValue(DefaultsKeys::kAutoConnectionStateKey), 1);
    QTest::mouseClick(row<NBGeneralSwitchCell>(1)->switchBtn(), Qt::LeftButton);
    EXPECT_EQ(UserDefaults::standard().boolValue(DefaultsKeys::kNotificationStateKey), true);

    // Stored, so a fresh build of the rows (the next appearance) shows both switches on.
    m_screen->buildRows();
    EXPECT_TRUE(row<NBGeneralSwitchCell>(0)->isOn());
    EXPECT_TRUE(row<NBGeneralSwitchCell>(1)->isOn());

    QTest::mouseClick(row<NBGeneralSwitchCell>(1)->switchBtn(), Qt::LeftButton);
    EXPECT_EQ(UserDefaults::standard().boolValue(DefaultsKeys::kNotificationStateKey), false);
    m_screen->buildRows();
    EXPECT_FALSE(row<NBGeneralSwitchCell>(1)->isOn());
    // Pressing a switch row beside its switch opens nothing.
    QTest::mouseClick(row<NBGeneralSwitchCell>(0), Qt::LeftButton, {}, QPoint(30, 30));
    EXPECT_EQ(presented(), nullptr);
}

TEST_F(GeneralSettingsTest, SortPickerCoversItsPresenterStoresTheOrderAndTheLinePageFollows)
{
    QTest::mouseClick(row<NBGeneralCell>(2), Qt::LeftButton);
    auto *picker = qobject_cast<NBSortViewController *>(presented());
    ASSERT_NE(picker, nullptr);
    EXPECT_EQ(picker->presentVC, m_screen);
    // Sized to the screen it covers, title bar and back button inside it.
    EXPECT_EQ(picker->geometry(), m_screen->rect());
    EXPECT_TRUE(m_screen->rect().contains(picker->navView()->backBtn()->mapTo(m_screen, QPoint(0, 0))));
    EXPECT_EQ(picker->navView()->titleLab()->text(), tableText("en", "GENERAL_ORDER"));
    ASSERT_EQ(picker->rows().size(), 2);
    EXPECT_FALSE(picker->rows().at(0)->arrowImgView()->isHidden());
    EXPECT_TRUE(picker->rows().at(1)->arrowImgView()->isHidden());

    QTest::mouseClick(picker->rows().at(1), Qt::LeftButton);
    EXPECT_EQ(UserDefaults::standard().integerValue(DefaultsKeys::kLineOrderType), 1);
    QTRY_VERIFY(m_screen->presentations().isEmpty());
    // Back on the settings, the rows show the latency order.
    EXPECT_EQ(row<NBGeneralCell>(2)->subNameText()->text(), tableText("en", "GENERAL_ORDER_LATENCY"));

    // The line page orders by measured latency now.
    QList<OOHomeNodeModel> lines;
    for (const auto &[id, ping] : QList<QPair<int, int>>{{1, 90}, {2, 20}, {3, 50}}) {
        OOHomeNodeModel line;
        line.id = id;
        line.name = QStringLiteral("line %1").arg(id);
        line.ping = ping;
        lines << line;
    }
    NBLinesListModel latency;
    latency.setLines(lines);
    QList<int> ids;
    for (const OOHomeNodeModel &line : std::as_const(latency.showList))
        ids << line.id.value_or(-1);
    EXPECT_EQ(ids, (QList<int>{2, 3, 1}));

    // A second picker checks the latency row; choosing the server order puts the page back.
    QTest::mouseClick(row<NBGeneralCell>(2), Qt::LeftButton);
    picker = qobject_cast<NBSortViewController *>(presented());
    ASSERT_NE(picker, nullptr);
    EXPECT_TRUE(picker->rows().at(0)->arrowImgView()->isHidden());
    EXPECT_FALSE(picker->rows().at(1)->arrowImgView()->isHidden());
    QTest::mouseClick(picker->rows().at(0), Qt::LeftButton);
    EXPECT_EQ(UserDefaults::standard().integerValue(DefaultsKeys::kLineOrderType), 0);
    NBLinesListModel serverOrder;
    serverOrder.setLines(lines);
    EXPECT_EQ(serverOrder.showList.first().id, 1);
    QTRY_VERIFY(m_screen->presentations().isEmpty());
}

TEST_F(GeneralSettingsTest, LanguagePickerStoresTheCodeAndAsksForTheRebuildEveryTime)
{
    QTest::mouseClick(row<NBGeneralCell>(3), Qt::LeftButton);
    auto *picker = qobject_cast<NBLanguageViewController *>(presented());
    ASSERT_NE(picker, nullptr);
    EXPECT_EQ(picker->geometry(), m_screen->rect());
    ASSERT_EQ(picker->rows().size(), 5);
    const QStringList keys = NBLanguageViewController::titleData();
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(picker->rows().at(i)->titleLab()->text(), tableText("en", keys.at(i))) << i;
        EXPECT_EQ(picker->rows().at(i)->arrowImgView()->isHidden(), i != 1) << i;
    }

    QTest::mouseClick(picker->rows().at(2), Qt::LeftButton);
    EXPECT_EQ(UserDefaults::standard().stringValue(DefaultsKeys::kAppLanguageKey), QStringLiteral("ja"));
    EXPECT_EQ(m_languageSwitches, 1);
    // It stays up: the window's rebuild replaces it.
    EXPECT_EQ(presented(), picker);
    // The same language again still asks for the rebuild.
    QTest::mouseClick(picker->rows().at(2), Qt::LeftButton);
    EXPECT_EQ(m_languageSwitches, 2);
    // The back button closes it.
    QTest::mouseClick(picker->navView()->backBtn(), Qt::LeftButton);
    QTRY_VERIFY(m_screen->presentations().isEmpty());

    // With no stored language nothing is checked.
    UserDefaults::standard().remove(DefaultsKeys::kAppLanguageKey);
    NBLanguageViewController unset;
    unset.ensureLoaded();
    for (NBLanguageCell *cell : unset.rows())
        EXPECT_TRUE(cell->arrowImgView()->isHidden());
}

TEST_F(GeneralSettingsTest, ResetKeepsThePreferredLanguageAndRebuildsInPlace)
{
    const QString preferred = preferredLocalizations().value(0);
    ASSERT_FALSE(preferred.isEmpty());
    UserDefaults &defaults = UserDefaults::standard();
    defaults.setString(DefaultsKeys::kAppLanguageKey, preferred);
    defaults.setInteger(DefaultsKeys::kLineOrderType, 1);
    defaults.setInteger(DefaultsKeys::kAutoConnectionStateKey, 1);
    defaults.setBool(DefaultsKeys::kNotificationStateKey, false);
    m_screen->buildRows();
    EXPECT_TRUE(row<NBGeneralSwitchCell>(0)->isOn());

    QTest::mouseClick(row<NBGeneralResetCell>(4), Qt::LeftButton);
    NBAlertView *alert = m_screen->alertView();
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->titleLabel()->text(), tableText(preferred, "GENERAL_RESET_TITLE"));
    // The resetting button is the one in the cancel position; the other only closes.
    EXPECT_EQ(alert->cancleButton()->text(), tableText(preferred, "GENERAL_RESET"));
    EXPECT_EQ(alert->confirmButton()->text(), tableText(preferred, "CANCEL"));
    QTest::mouseClick(alert->cancleButton(), Qt::LeftButton);

    EXPECT_EQ(defaults.integerValue(DefaultsKeys::kLineOrderType), 0);
    EXPECT_EQ(defaults.boolValue(DefaultsKeys::kNotificationStateKey), true);
    EXPECT_EQ(defaults.boolValue(DefaultsKeys::kAutoConnectionStateKey), false);
    EXPECT_EQ(defaults.stringValue(DefaultsKeys::kAppLanguageKey), preferred);
    EXPECT_EQ(m_languageSwitches, 0);
    EXPECT_FALSE(row<NBGeneralSwitchCell>(0)->isOn());
    EXPECT_TRUE(row<NBGeneralSwitchCell>(1)->isOn());
    EXPECT_EQ(row<NBGeneralCell>(2)->subNameText()->text(), tableText(preferred, "GENERAL_ORDER_DEFAULT"));
}

TEST_F(GeneralSettingsTest, ResetAwayFromAnotherLanguageGoesBackToTheDefaultAndAsksForTheRebuild)
{
    const QString preferred = preferredLocalizations().value(0);
    const QString other = preferred == QLatin1String("ko") ? QStringLiteral("ja") : QStringLiteral("ko");
    UserDefaults::standard().setString(DefaultsKeys::kAppLanguageKey, other);
    m_screen->buildRows();
    // A press that is dragged off the row and let go there asks nothing: the list's rows act on a
    // click. Pressed as the user presses, through the window.
    QCoreApplication::sendPostedEvents();
    QWidget *reset = row<NBGeneralResetCell>(4);
    const QPoint centre = reset->mapTo(&m_host, reset->rect().center());
    const QPoint off = centre + QPoint(0, reset->height());
    QTest::mousePress(m_host.windowHandle(), Qt::LeftButton, {}, centre);
    QTest::mouseMove(m_host.windowHandle(), off);
    QTest::mouseRelease(m_host.windowHandle(), Qt::LeftButton, {}, off);
    EXPECT_EQ(m_screen->alertView(), nullptr);

    QTest::mouseClick(reset, Qt::LeftButton);
    ASSERT_NE(m_screen->alertView(), nullptr);
    // The other button leaves everything as it was.
    QTest::mouseClick(m_screen->alertView()->confirmButton(), Qt::LeftButton);
    EXPECT_EQ(UserDefaults::standard().stringValue(DefaultsKeys::kAppLanguageKey), other);
    EXPECT_FALSE(UserDefaults::standard().contains(DefaultsKeys::kLineOrderType));

    EXPECT_EQ(GeneralSettings::restoreDefaults(), GeneralSettings::ResetOutcome::LanguageReset);
    EXPECT_EQ(UserDefaults::standard().stringValue(DefaultsKeys::kAppLanguageKey), QStringLiteral("zh-Hans"));
    EXPECT_EQ(UserDefaults::standard().integerValue(DefaultsKeys::kLineOrderType), 0);
    EXPECT_EQ(m_languageSwitches, 1);
}

TEST_F(GeneralSettingsTest, ClearingTheCacheLeavesThroughTheOrdinaryQuit)
{
    const QString users = AppPaths::dataFolder() + QStringLiteral("/users");
    ASSERT_TRUE(QDir().mkpath(users));
    UserDefaults::standard().setBool(DefaultsKeys::kKillSwitchStateKey, true);
    QList<int> statuses;
    GeneralSettings::setQuitForTesting([&](int status) { statuses << status; });
    m_screen->clearAllCache();
    // Nothing happens inside the call that asked.
    EXPECT_TRUE(QDir(users).exists());
    QTRY_VERIFY(!statuses.isEmpty());
    EXPECT_EQ(statuses, QList<int>{1});
    EXPECT_FALSE(QDir(users).exists());
    EXPECT_FALSE(UserDefaults::standard().contains(DefaultsKeys::kKillSwitchStateKey));
    EXPECT_FALSE(MKUserInfoManager::shared().currentUser().has_value());
}

TEST(GeneralModel, DecodesStrictly)
{
    const QJsonObject good{{"title", "t"}, {"type", 3}, {"hasSubTitle", true}, {"hasArrow", true}, {"subTitle", "v"}};
    const auto model = OOGeneralModel::fromJson(good);
    ASSERT_TRUE(model.has_value());
    EXPECT_EQ(model->subTitle, QStringLiteral("v"));
    EXPECT_FALSE(model->cellHight.has_value());
    EXPECT_EQ(OOGeneralModel::fromJson(model->toJson())->toJson(), model->toJson());
    QJsonObject noArrow = good;
    noArrow.remove("hasArrow");
    EXPECT_FALSE(OOGeneralModel::fromJson(noArrow).has_value());
    QJsonObject wrongState = good;
    wrongState.insert("state", "yes");
    EXPECT_FALSE(OOGeneralModel::fromJson(wrongState).has_value());
    QJsonObject fractionalType = good;
    fractionalType.insert("type", 3.5);
    EXPECT_FALSE(OOGeneralModel::fromJson(fractionalType).has_value());
}

TEST(GeneralModel, TheFirstBadRowEndsTheList)
{
    const QJsonObject first{{"title", "a"}, {"type", 1}, {"hasSubTitle", false}, {"hasArrow", false}};
    const QJsonObject third{{"title", "c"}, {"type", 3}, {"hasSubTitle", true}, {"hasArrow", true}, {"subTitle", "v"}};
    QJsonObject bad = third;
    bad.remove("hasArrow");
    const QList<OOGeneralModel> rows = GeneralSettings::decodeRows({first, bad, third});
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows.first().title, QStringLiteral("a"));
    EXPECT_EQ(GeneralSettings::decodeRows({first, third}).size(), 2);
    EXPECT_TRUE(GeneralSettings::decodeRows({bad, first}).isEmpty());
    // The shipped rows all decode.
    EXPECT_EQ(GeneralSettings::decodeRows(GeneralSettings::rowDefinitions()).size(), 5);
}
