// The requests of each home appearance and the notice chain, against the stand-in service over
// real HTTP, with real notice packages unpacked from the private folder.
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include <gtest/gtest.h>

#include "uikit/UiTiming.h"
#include "common/ApiPaths.h"
#include "common/AppPaths.h"
#include "common/DefaultsKeys.h"
#include "common/HHNotificationTable.h"
#include "common/NHHostTable.h"
#include "common/NotificationCenter.h"
#include "common/NotificationNames.h"
#include "common/UserDefaults.h"
#include "home/HomeAppearanceChain.h"
#include "home/NoticeChain.h"
#include "networking/HHNoticeModel.h"
#include "support/HeldAnswers.h"
#include "support/NetworkTestSupport.h"
#include "networking/OONetWorkTool.h"
#include "support/TestZipBuilder.h"
#include "upgrade/HomeUpgradeCheck.h"
#include "upgrade/MupleUpgradeManager.h"
#include "upgrade/NBMutipUpgradeModel.h"

namespace {

QByteArray noticePackage(const QString &name)
{
    return TestZipBuilder().addFile(name + QStringLiteral(".html"), "<html><body>notice</body></html>").build();
}

void writePrivate(const QString &fileName, const QByteArray &bytes)
{
    AppPaths::ensureFolder(AppPaths::privateFolder());
    QFile file(QDir(AppPaths::privateFolder()).filePath(fileName));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

QJsonObject notice(int id, int frequency, const QString &templateText)
{
    return {{QStringLiteral("id"), id}, {QStringLiteral("title"), QStringLiteral("t")}, {QStringLiteral("body"), QStringLiteral("b")},
            {QStringLiteral("frequency"), frequency}, {QStringLiteral("times"), 1}, {QStringLiteral("nextPushSeconds"), 60},
            {QStringLiteral("template"), templateText}};
}

QString listText(const QJsonArray &notices)
{
    return QString::fromUtf8(QJsonDocument(QJsonObject{{QStringLiteral("page_datas"), notices}}).toJson(QJsonDocument::Compact));
}

class Notices : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QDir(AppPaths::privateFolder()).removeRecursively();
        QDir(AppPaths::pageFolder()).removeRecursively();
        UserDefaults::standard().setValue(DefaultsKeys::kAnouncePreTimeRecords, QVariant());
        NoticeChain::setNoticesDone(true);
        NoticeChain::setFrequencyOneSession(true);
        chain.setNowSeconds([this] { return now; });
        chain.setPresenter([this](const NoticeChain::Page &page, std::function<void()> closed) {
            if (!windowThere)
                return false;
            shown << page.htmlPath;
            closers.push_back(std::move(closed));
            return true;
        });
        writePrivate(QStringLiteral("system-notice-default.zip"), noticePackage(QStringLiteral("system-notice-default")));
    }
    void closeCurrent()
    {
        ASSERT_FALSE(closers.empty());
        auto close = closers.back();
        close();
    }

    qint64 now = 1'000'000;
    bool windowThere = true;
    QStringList shown;
    std::vector<std::function<void()>> closers;
    NoticeChain chain;
};

TEST_F(Notices, ShowsDueNoticesOneAfterAnotherAndReopensTheGate)
{
    writePrivate(QStringLiteral("promo.zip"), noticePackage(QStringLiteral("promo")));
    const QJsonArray list{notice(1, 5, QStringLiteral("promo")), notice(2, 2, QStringLiteral("missing")),
                          notice(3, 1, QStringLiteral("promo"))};
    chain.handleNoticeList(listText(list), std::nullopt);
    EXPECT_FALSE(NoticeChain::noticesDone());
    QTRY_COMPARE_WITH_TIMEOUT(shown.size(), 1, 5000);
    EXPECT_TRUE(shown.first().endsWith(QStringLiteral("/page/promo/promo.html")));
    EXPECT_TRUE(QFileInfo::exists(shown.first()));
    closeCurrent();
    // A template with no package falls to the default page.
    QTRY_COMPARE_WITH_TIMEOUT(shown.size(), 2, 5000);
    EXPECT_TRUE(shown.at(1).endsWith(QStringLiteral("/system-notice-default/system-notice-default.html")));
    closeCurrent();
    QTRY_COMPARE_WITH_TIMEOUT(shown.size(), 3, 5000);
    closeCurrent();
    QTRY_VERIFY_WITH_TIMEOUT(NoticeChain::noticesDone(), 5000);
    EXPECT_FALSE(NoticeChain::frequencyOneSession());

    // Again: once-ever is done, the timed one waits its 60 s, the session one had its session.
    shown.clear();
    now += 30;
    chain.handleNoticeList(listText(list), std::nullopt);
    QTRY_VERIFY_WITH_TIMEOUT(NoticeChain::noticesDone(), 5000);
    EXPECT_TRUE(shown.isEmpty());
    now += 31;
    chain.handleNoticeList(listText(list), std::nullopt);
    QTRY_COMPARE_WITH_TIMEOUT(shown.size(), 1, 5000);
    EXPECT_TRUE(shown.first().contains(QStringLiteral("system-notice-default")));
    closeCurrent();
    QTRY_VERIFY_WITH_TIMEOUT(NoticeChain::noticesDone(), 5000);

    // Records of notices no longer listed are dropped.
    chain.handleNoticeList(listText({notice(2, 2, QStringLiteral("x"))}), std::nullopt);
    QTRY_VERIFY_WITH_TIMEOUT(NoticeChain::noticesDone(), 5000);
    const QJsonArray records = UserDefaults::standard().arrayValue(DefaultsKeys::kAnouncePreTimeRecords).value_or(QJsonArray());
    ASSERT_EQ(records.size(), 1);
    EXPECT_EQ(records.first().toObject().value(QStringLiteral("id")).toInt(), 2);
}

TEST_F(Notices, HostileOrBrokenPackagesAreSkippedAndNothingLeavesThePageFolder)
{
    writePrivate(QStringLiteral("slip.zip"), TestZipBuilder().addFile(QStringLiteral("../evil.txt"), "x")
                                                 .addFile(QStringLiteral("slip.html"), "<html></html>").build());
    writePrivate(QStringLiteral("empty.zip"), TestZipBuilder().build());
    writePrivate(QStringLiteral("nohtml.zip"), TestZipBuilder().addFile(QStringLiteral("other.txt"), "x").build());
    writePrivate(QStringLiteral("garbage.zip"), QByteArray("not a zip at all"));
    const QJsonArray list{notice(1, 5, QStringLiteral("slip")), notice(2, 5, QStringLiteral("empty")),
                          notice(3, 5, QStringLiteral("nohtml")), notice(4, 5, QStringLiteral("garbage")),
                          notice(5, 5, QStringLiteral("../../x"))};
    chain.handleNoticeList(listText(list), std::nullopt);
    // Only the traversal template shows, and as the default page.
    QTRY_COMPARE_WITH_TIMEOUT(shown.size(), 1, 5000);
    EXPECT_TRUE(shown.first().contains(QStringLiteral("system-notice-default")));
    EXPECT_FALSE(QFileInfo::exists(QDir(AppPaths::pageFolder()).filePath(QStringLiteral("evil.txt"))));
    EXPECT_FALSE(QFileInfo::exists(QDir(AppPaths::dataFolder()).filePath(QStringLiteral("evil.txt"))));
    closeCurrent();
    QTRY_VERIFY_WITH_TIMEOUT(NoticeChain::noticesDone(), 5000);
    EXPECT_FALSE(NoticeChain::isPlainName(QStringLiteral("a/b")));
    EXPECT_FALSE(NoticeChain::isPlainName(QStringLiteral("..")));
    EXPECT_FALSE(NoticeChain::isPlainName(QStringLiteral("a\\b")));
    EXPECT_TRUE(NoticeChain::isPlainName(QStringLiteral("notice-1")));
}

TEST_F(Notices, WithoutAWindowOrAnyPackageTheChainEndsAndTheGateOpens)
{
    windowThere = false;
    chain.handleNoticeList(listText({notice(1, 5, QStringLiteral("x")), notice(2, 1, QStringLiteral("x"))}), std::nullopt);
    QTRY_VERIFY_WITH_TIMEOUT(NoticeChain::noticesDone(), 5000);
    EXPECT_TRUE(shown.isEmpty());
    // Not shown is not seen: the once-ever notice is still due when a window is there.
    EXPECT_FALSE(HHNoticeModel::lastShownAt(1));
    windowThere = true;
    chain.handleNoticeList(listText({notice(1, 5, QStringLiteral("x"))}), std::nullopt);
    QTRY_COMPARE_WITH_TIMEOUT(shown.size(), 1, 5000);
    EXPECT_EQ(HHNoticeModel::lastShownAt(1), now);
    closeCurrent();
    QTRY_VERIFY_WITH_TIMEOUT(NoticeChain::noticesDone(), 5000);
    shown.clear();

    // Without the default package in the private folder the one the program ships is used...
    QFile::remove(QDir(AppPaths::privateFolder()).filePath(QStringLiteral("system-notice-default.zip")));
    windowThere = true;
    NoticeChain::setFrequencyOneSession(true);
    const auto shipped = NoticeChain::archiveFor(QStringLiteral("x"));
    ASSERT_TRUE(shipped);
    EXPECT_EQ(shipped->second, AppPaths::builtResourcePath(QStringLiteral("system-notice-default.zip")));
    // The shipped archive passes the extractor's checks and holds the page.
    chain.handleNoticeList(listText({notice(4, 1, QStringLiteral("x"))}), std::nullopt);
    QTRY_COMPARE_WITH_TIMEOUT(shown.size(), 1, 5000);
    EXPECT_TRUE(shown.first().endsWith(QStringLiteral("/system-notice-default/system-notice-default.html")));
    EXPECT_TRUE(QFileInfo::exists(shown.first()));
    closeCurrent();
    QTRY_VERIFY_WITH_TIMEOUT(NoticeChain::noticesDone(), 5000);
    shown.clear();
    NoticeChain::setFrequencyOneSession(true);
    // ...and with none anywhere the notice is skipped.
    QTemporaryDir noResources;
    const QString built = AppPaths::builtResourceFolder();
    AppPaths::setBuiltResourceFolderForTesting(noResources.path());
    chain.handleNoticeList(listText({notice(3, 1, QStringLiteral("x"))}), std::nullopt);
    QTRY_VERIFY_WITH_TIMEOUT(NoticeChain::noticesDone(), 5000);
    AppPaths::setBuiltResourceFolderForTesting(built);
    EXPECT_TRUE(shown.isEmpty());

    // An empty list starts nothing.
    chain.handleNoticeList(listText({}), std::nullopt);
    EXPECT_TRUE(NoticeChain::noticesDone());
}

class AppearanceChain : public StandinSuite
{
protected:
    void SetUp() override
    {
        StandinSuite::SetUp();
        NoticeChain::setNoticesDone(true);
        NoticeChain::setFrequencyOneSession(true);
        ASSERT_TRUE(HHNotificationTable().remove(QStringLiteral("resource_version")));
        ASSERT_TRUE(NHHostTable().remove(QStringLiteral("resource_version")));
        // The stand-in lives as long as the suite: every case states the notices it serves (one
        // per session, so every account chain runs a notice chain that ends at once).
        s_standin->control({{QStringLiteral("update_state"), 0}, {QStringLiteral("clear_records"), true},
                            {QStringLiteral("notices"), QJsonArray{notice(9, 1, QStringLiteral("text"))}},
                            {QStringLiteral("resource_version"), QJsonObject{{QStringLiteral("notificationVersion"), 3},
                                                                             {QStringLiteral("domainVersion"), QStringLiteral("a")}}}});
        bool signedIn = false;
        OONetWorkTool::login([&](std::optional<QString> error) { signedIn = !error; });
        QTRY_VERIFY_WITH_TIMEOUT(signedIn, 10000);
        // The home screen's wiring: the chain's gate asks the upgrade check, whose account refresh
        // is the chain's account step. Dialogs are kept (or refused, as with no window); the
        // silent download fetches nothing.
        upgrades.setPresenter([this](std::unique_ptr<NBMutipUpgradeModel> dialog) {
            if (!dialogWindow)
                return false;
            dialog.release()->setParent(&dialogHolder);
            ++dialogs;
            return true;
        });
        upgrades.setDownloader([](const QString &, OONetWork::DownloadHandler) {});
        upgradeCheck.setManager(&upgrades);
        hooks.checkUpdate = [this] { upgradeCheck.requestNeedUpdate(); };
        hooks.pollHosts = [this] { ++pollRounds; };
        notices.setPresenter([](const NoticeChain::Page &, std::function<void()>) { return false; });
        QObject::connect(&notices, &NoticeChain::finished, [this] { ++noticeChainsEnded; });
        s_standin->control({{QStringLiteral("clear_records"), true}});
    }
    QStringList paths() const
    {
        QStringList out;
        for (const QJsonValue &r : s_standin->records().value(QStringLiteral("requests")).toArray()) {
            const QString path = r.toObject().value(QStringLiteral("path")).toString();
            if (!path.contains(QStringLiteral("action_track")) && !path.contains(QStringLiteral("request_log")))
                out << path.section(QLatin1Char('/'), -1);
        }
        return out;
    }
    bool sent(const QString &last) const { return paths().contains(last); }

    // The chain answers "updateCloseTaped" through the upgrade check, as on the home screen.
    void bind(HomeAppearanceChain &chain)
    {
        QPointer<HomeAppearanceChain> guarded(&chain);
        upgradeCheck.setAccountRefresh([guarded] {
            if (guarded)
                guarded->requestUserInfo();
        });
    }

    // The account step of an update-gate step has run to its end: the account asked and the
    // notice chain it started over. Until then the notice gate is closed and a new update-gate
    // step would rightly ask nothing.
    void waitForAccountChain(int chainsBefore)
    {
        QTRY_VERIFY_WITH_TIMEOUT(sent(QStringLiteral("info")), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(noticeChainsEnded > chainsBefore && NoticeChain::noticesDone(), 10000);
    }

    HomeAppearanceChain::Hooks hooks;
    NoticeChain notices;
    int noticeChainsEnded = 0;
    MupleUpgradeManager upgrades;
    HomeUpgradeCheck upgradeCheck;
    QObject dialogHolder;
    bool dialogWindow = true;
    int dialogs = 0;
    int pollRounds = 0;
};

TEST_F(AppearanceChain, FirstAppearanceAsksInOrderAndStoresTheVersions)
{
    HomeAppearanceChain chain(notices, nullptr, hooks);
    bind(chain);
    int nodeLists = 0;
    chain.onNodeList = [&](const std::optional<QString> &text, const std::optional<NetError> &) {
        nodeLists += text ? 1 : 0;
        return text.has_value();
    };
    // The first appearance's lines answer only after the next appearance's, as on a slow network.
    const HeldAnswers held(*s_standin, ApiPaths::kNodeList);
    ASSERT_TRUE(held.isSet());
    chain.run();
    QTRY_VERIFY_WITH_TIMEOUT(sent(QStringLiteral("list")) && NHHostTable().queryJson(QStringLiteral("resource_version")), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(NoticeChain::noticesDone() && pollRounds == 1, 10000);
    const QStringList order = paths();
    EXPECT_LT(order.indexOf(QStringLiteral("update_app")), order.indexOf(QStringLiteral("info")));
    // The resource-package pipeline asks for the system settings too; the chain's own request is
    // the one after the account.
    EXPECT_LT(order.indexOf(QStringLiteral("info")), order.lastIndexOf(QStringLiteral("system_setting")));
    EXPECT_LT(order.lastIndexOf(QStringLiteral("system_setting")), order.indexOf(QStringLiteral("list")));
    EXPECT_TRUE(order.contains(QStringLiteral("get_domain_hosts")));
    EXPECT_TRUE(order.contains(QStringLiteral("resource_package_version")));
    EXPECT_TRUE(order.contains(QStringLiteral("node_list")));
    ASSERT_TRUE(held.waitUntilHeld());
    EXPECT_EQ(nodeLists, 0);
    EXPECT_TRUE(HHNotificationTable().queryJson(QStringLiteral("resource_version")));
    EXPECT_TRUE(NHHostTable().queryJson(QStringLiteral("historyHostsKey")));
    EXPECT_TRUE(NHHostTable().queryJson(QStringLiteral("kRemoteUrlsKey")));

    // The same versions again: the notices are still asked for, the hosts are not.
    s_standin->control({{QStringLiteral("clear_records"), true}});
    chain.run();
    QTRY_VERIFY_WITH_TIMEOUT(sent(QStringLiteral("list")), 10000);
    EXPECT_FALSE(sent(QStringLiteral("get_domain_hosts")));

    // The later lines are taken; the earlier ones, coming after them, are not.
    QTRY_COMPARE_WITH_TIMEOUT(nodeLists, 1, 10000);
    ASSERT_TRUE(held.release([](const std::function<void()> &answered) {
        OONetWorkTool::nodeList([answered](std::optional<QString>, std::optional<NetError>) { answered(); });
    }));
    EXPECT_EQ(nodeLists, 1);
}

// Each step below asks the account only once the previous step's notice chain has ended: while
// one runs, the gate rightly asks nothing, so a step that raced it would wait for nothing.
TEST_F(AppearanceChain, UpdateSettingDecidesWhenTheAccountIsAsked)
{
    HomeAppearanceChain chain(notices, nullptr, hooks);
    bind(chain);
    // A dialog waits for the user: nothing follows until it is closed.
    s_standin->control({{QStringLiteral("update_state"), 1}});
    chain.checkUpdateGate();
    QTRY_COMPARE_WITH_TIMEOUT(dialogs, 1, 10000);
    QCoreApplication::processEvents();
    EXPECT_FALSE(sent(QStringLiteral("info")));
    int ended = noticeChainsEnded;
    NotificationCenter::defaultCenter().post(NotificationNames::updateCloseTaped);
    waitForAccountChain(ended);
    // The whole account chain runs, not the account alone.
    EXPECT_TRUE(sent(QStringLiteral("system_setting")));
    EXPECT_TRUE(sent(QStringLiteral("list")));

    // A silent download shows no dialog: the account is asked at once.
    s_standin->control({{QStringLiteral("update_state"), 3}, {QStringLiteral("clear_records"), true}});
    ended = noticeChainsEnded;
    chain.checkUpdateGate();
    waitForAccountChain(ended);

    // A dialog with no window to show it in never posts its close: the account is asked at once.
    dialogWindow = false;
    s_standin->control({{QStringLiteral("update_state"), 1}, {QStringLiteral("clear_records"), true}});
    ended = noticeChainsEnded;
    chain.checkUpdateGate();
    waitForAccountChain(ended);
    EXPECT_EQ(dialogs, 1);
    dialogWindow = true;

    // An offer that does not decode posts nothing either.
    s_standin->control({{QStringLiteral("clear_records"), true}});
    ended = noticeChainsEnded;
    upgradeCheck.handleUpdateReply(QJsonObject{{QStringLiteral("data"),
                                                QJsonObject{{QStringLiteral("settings"), QJsonObject{{QStringLiteral("update_title"), QStringLiteral("x")}}}}}},
                                   std::nullopt);
    EXPECT_FALSE(upgrades.settings.has_value());
    waitForAccountChain(ended);

    // No state the client knows: the manager posts the close itself, and the account is asked
    // once, not twice.
    s_standin->control({{QStringLiteral("update_state"), 0}, {QStringLiteral("clear_records"), true}});
    const int refreshes = upgradeCheck.accountRefreshes();
    ended = noticeChainsEnded;
    chain.checkUpdateGate();
    waitForAccountChain(ended);
    EXPECT_EQ(upgradeCheck.accountRefreshes(), refreshes + 1);

    // The update check failing also goes on to the account.
    s_standin->control({{QStringLiteral("clear_records"), true}});
    s_standin->fault(QStringLiteral("/api/client/society_v2/commons/update_app"), QStringLiteral("fail"), 1);
    ended = noticeChainsEnded;
    chain.checkUpdateGate();
    waitForAccountChain(ended);

}

TEST_F(AppearanceChain, ARunningNoticeChainClosesTheGateAndFailuresStopOnlyTheirBranch)
{
    HomeAppearanceChain chain(notices, nullptr, hooks);
    bind(chain);
    NoticeChain::setNoticesDone(false);
    chain.run();
    QTRY_VERIFY_WITH_TIMEOUT(sent(QStringLiteral("node_list")) && sent(QStringLiteral("resource_package_version")), 10000);
    EXPECT_FALSE(sent(QStringLiteral("update_app")));
    NoticeChain::setNoticesDone(true);

    // No system settings: no notices, but the hosts are still fetched.
    s_standin->control({{QStringLiteral("clear_records"), true}});
    s_standin->fault(QStringLiteral("/api/client/society_v2/static/system_setting"), QStringLiteral("fail"), 1);
    chain.requestUserInfo();
    QTRY_VERIFY_WITH_TIMEOUT(sent(QStringLiteral("get_domain_hosts")) && NHHostTable().queryJson(QStringLiteral("resource_version")), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(sent(QStringLiteral("system_setting")), 10000);
    EXPECT_FALSE(sent(QStringLiteral("list")));

    // The host request failing stores no version, so the next appearance asks again.
    ASSERT_TRUE(NHHostTable().remove(QStringLiteral("resource_version")));
    s_standin->fault(QStringLiteral("/api/strategy/client/v1/chrome/get_domain_hosts"), QStringLiteral("fail"), 1);
    bool answered = false;
    bool result = true;
    chain.getHosts([&](bool ok) { answered = true; result = ok; });
    QTRY_VERIFY_WITH_TIMEOUT(answered, 10000);
    EXPECT_FALSE(result);
    EXPECT_FALSE(NHHostTable().queryJson(QStringLiteral("resource_version")));
}

TEST_F(AppearanceChain, HostListsThatAreNotStoredAreAskedForAgain)
{
    HomeAppearanceChain chain(notices, nullptr, hooks);
    // The database refuses the inner host list, as a full disk would.
    ASSERT_TRUE(MKConnection::shared().run(QStringLiteral("refuse host lists"), [](SQLite::Database &database) {
        database.exec("CREATE TABLE IF NOT EXISTS \"Host\" (name TEXT UNIQUE, json TEXT, timestamp DATE)");
        database.exec("CREATE TRIGGER IF NOT EXISTS refuse_hosts BEFORE INSERT ON \"Host\" WHEN NEW.name = 'historyHostsKey' "
                      "BEGIN SELECT RAISE(ABORT, 'disk full'); END");
    }));
    chain.requestUserInfo();
    QTRY_VERIFY_WITH_TIMEOUT(sent(QStringLiteral("get_domain_hosts")) && pollRounds == 1, 10000);
    EXPECT_FALSE(NHHostTable().queryJson(QStringLiteral("resource_version")));
    ASSERT_TRUE(MKConnection::shared().run(QStringLiteral("accept host lists"), [](SQLite::Database &database) {
        database.exec("DROP TRIGGER IF EXISTS refuse_hosts");
    }));

    // The next appearance asks again and, stored this time, records the version.
    s_standin->control({{QStringLiteral("clear_records"), true}});
    chain.requestUserInfo();
    QTRY_VERIFY_WITH_TIMEOUT(NHHostTable().queryJson(QStringLiteral("resource_version")), 10000);
    EXPECT_TRUE(sent(QStringLiteral("get_domain_hosts")));
    EXPECT_TRUE(NHHostTable().queryJson(QStringLiteral("historyHostsKey")));
}

} // namespace
