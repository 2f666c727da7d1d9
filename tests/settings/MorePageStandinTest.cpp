// The more page against the stand-in service, reached through the window's menu: what one
// appearance asks for and what it shows (badge, expiry lines, unread dots, the banner unpacked
// from its password archive), late answers of an earlier appearance that change nothing, and a
// hostile banner archive refused with nothing written anywhere.
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QSignalSpy>
#include <QSet>
#include <QTest>

#include <memory>

#include <gtest/gtest.h>
#include <zip.h>

#include "app/NBLeftSideView.h"
#include "app/NBLeftSideViewController.h"
#include "app/NBMainSplitViewController.h"
#include "app/NBMainWindowController.h"
#include "uikit/ImageCache.h"
#include "uikit/UiTiming.h"
#include "common/ApiPaths.h"
#include "common/AppPaths.h"
#include "common/ProtocolConfig.h"
#include "common/MKUserInfoManager.h"
#include "networking/OOHostSafeAdpter.h"
#include "networking/OONetWork.h"
#include "login/form/AccountReply.h"
#include "networking/OONetWorkTool.h"
#include "settings/more/NBAdView.h"
#include "settings/more/NBMineHeaderView.h"
#include "settings/more/NBMineItemView.h"
#include "settings/more/NBMineViewController.h"
#include "support/HeldAnswers.h"
#include "support/PngBytes.h"
#include "support/StandinProcess.h"
#include "support/NetworkTestSupport.h"
#include "support/TestZipBuilder.h"
#include "uikit/NBBaseViewController.h"
#include "uikit/ScreenFactory.h"

namespace {

constexpr int kWait = 15000;

// A zip whose one entry climbs out of wherever it is unpacked.
QByteArray climbingZip(const QByteArray &content)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t *buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_source_keep(buffer);
    zip_t *archive = zip_open_from_source(buffer, ZIP_TRUNCATE, &error);
    QByteArray copy = content;
    zip_source_t *file = zip_source_buffer(archive, copy.constData(), copy.size(), 0);
    zip_file_add(archive, "../../../../private/gfwlist.acl", file, ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE);
    zip_close(archive);
    QByteArray bytes;
    if (zip_source_open(buffer) == 0) {
        zip_source_seek(buffer, 0, SEEK_END);
        bytes.resize(int(zip_source_tell(buffer)));
        zip_source_seek(buffer, 0, SEEK_SET);
        zip_source_read(buffer, bytes.data(), bytes.size());
        zip_source_close(buffer);
    }
    zip_source_free(buffer);
    return bytes;
}

QStringList filesUnder(const QString &root)
{
    QStringList files;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        // The request log database and the logs change with every request; they are not ours.
        if (path.contains(QStringLiteral(".db")) || path.contains(QStringLiteral("sqlite")) || path.endsWith(QStringLiteral(".log"))
            || path.contains(QStringLiteral("/log")))
            continue;
        files << path;
    }
    files.sort();
    return files;
}

// A page under the menu's home slot that asks for nothing: only the more page's and the menu's
// requests count.
class QuietHome : public NBBaseViewController
{
public:
    using NBBaseViewController::NBBaseViewController;
};

// A banner-sized picture of one colour, as PNG bytes.
QByteArray pngOf(const QColor &colour)
{
    return pngBytes(colour, QSize(728, 110));
}

} // namespace

class MorePageStandin : public OneStandinPerSuite
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(s_standin && s_standin->isRunning());
        s_standin->clearFaults();
        ScreenFactory::instance().registerScreen(NBMainSplitViewController::screenName(NBLeftMenuType::home),
                                                 [](QWidget *parent) { return new QuietHome(parent); });
        ScreenFactory::instance().registerScreen(NBMainSplitViewController::screenName(NBLeftMenuType::account),
                                                 [](QWidget *parent) { return new NBMineViewController(parent); });
        ASSERT_TRUE(s_standin->control(QJsonObject{{"messages", "default"}, {"banner_id", 0}}));
        useService(*s_standin);
    }
    void TearDown() override { m_window.reset(); }

    // Points the client at the service and signs in as a visitor.
    static void useService(const StandinProcess &service)
    {
        ASSERT_TRUE(pointClientAt({service.baseUrl()}));
        OONetWork::shared().resetForTesting();
        bool done = false;
        OONetWorkTool::login([&](std::optional<QString>) { done = true; });
        ASSERT_TRUE(QTest::qWaitFor([&] { return done; }, kWait));
        ASSERT_TRUE(MKUserInfoManager::shared().currentUser());
        ASSERT_TRUE(service.control(QJsonObject{{"clear_records", true}}));
    }

    static QStringList requestedPaths()
    {
        QStringList paths;
        for (const QJsonValue &request : s_standin->records().value("requests").toArray())
            paths << request.toObject().value("path").toString();
        return paths;
    }

    // The more page as a user reaches it: the window's menu, its account row.
    NBMineViewController *showMorePage()
    {
        m_window = std::make_unique<NBMainWindowController>();
        m_window->show();
        m_split = new NBMainSplitViewController;
        m_window->setContentViewController(m_split);
        QTest::mouseClick(m_split->leftSide()->accountItem(), Qt::LeftButton);
        return qobject_cast<NBMineViewController *>(m_split->shownContent());
    }

    // Away to the home page and back, as a user comes back to the page: it appears again.
    void showAgain()
    {
        QTest::mouseClick(m_split->leftSide()->homeItem(), Qt::LeftButton);
        QTest::mouseClick(m_split->leftSide()->accountItem(), Qt::LeftButton);
    }

    UiTimingScope m_scope{0.01};
    std::unique_ptr<NBMainWindowController> m_window;
    NBMainSplitViewController *m_split = nullptr;
};

TEST_F(MorePageStandin, AppearanceRefreshesAccountDotsAndBannerFromItsArchive)
{
    // Sign in as the stand-in's senior member.
    std::optional<bool> signedIn;
    OONetWorkTool::accountLogin(QJsonObject{{"signType", "3"}, {"phone", "13800000000"}, {"password", "abc12345"},
                                            {"regionCode", "+86"}},
                                [&](std::optional<QJsonObject> reply, std::optional<NetError>) {
                                    signedIn = AccountReply::readSignIn(reply).isSuccess();
                                });
    ASSERT_TRUE(QTest::qWaitFor([&] { return signedIn.has_value(); }, kWait));
    ASSERT_TRUE(*signedIn);
    ASSERT_TRUE(s_standin->control(QJsonObject{{"clear_records", true}}));

    NBMineViewController *shown = showMorePage();
    ASSERT_NE(shown, nullptr);
    NBMineViewController &page = *shown;
    NBAdView *ad = page.headerView()->adView();
    ASSERT_TRUE(QTest::qWaitFor([&] { return ad->model().has_value(); }, kWait));
    EXPECT_FALSE(ad->adImgView()->pixmap().isNull());
    // A drawn banner, not a placeholder pixel: the picture holds several colours.
    const QImage banner = ad->adImgView()->pixmap().toImage();
    QSet<QRgb> colours;
    for (int x = 0; x < banner.width(); x += 4)
        colours.insert(banner.pixel(x, banner.height() / 2));
    EXPECT_GT(colours.size(), 8) << banner.width() << "x" << banner.height();
    ASSERT_TRUE(ad->model()->imgUrl);
    EXPECT_TRUE(ad->model()->imgUrl->startsWith(s_standin->baseUrl()));

    const QStringList paths = requestedPaths();
    EXPECT_TRUE(paths.contains(ApiPaths::kAccountInfo));
    EXPECT_TRUE(paths.contains(ApiPaths::kUnreadMessages));
    EXPECT_TRUE(paths.contains(ApiPaths::kAdvertisements));

    // The stand-in counts one active message and no feedback answer.
    EXPECT_TRUE(QTest::qWaitFor([&] { return !page.itemOfType(0)->redDot()->isHidden(); }, kWait));
    EXPECT_TRUE(page.itemOfType(6)->redDot()->isHidden());
    EXPECT_TRUE(QTest::qWaitFor([&] { return page.headerView()->badgeName() == QStringLiteral("mine_svip_icon"); }, kWait));
    EXPECT_TRUE(page.headerView()->svipTimeLab()->text().endsWith(QStringLiteral(" 高级到期")));
    EXPECT_TRUE(page.headerView()->nameLab()->text().endsWith(QStringLiteral("******0000")));

    // Shown again, the banner listed anew: its picture comes from the cache at once, the archive
    // is not fetched a second time.
    ASSERT_TRUE(s_standin->control(QJsonObject{{"clear_records", true}, {"banner_id", 42}}));
    showAgain();
    ASSERT_TRUE(QTest::qWaitFor([&] { return ad->model() && ad->model()->id == 42; }, kWait));
    for (const QString &path : requestedPaths())
        EXPECT_FALSE(path.startsWith(QStringLiteral("/static/archives/"))) << path.toStdString();

    // Shown again while that appearance's banner list is held back, as on a slow network, and
    // once more: the banner the service has now stays when the earlier answer comes last.
    const HeldAnswers held(*s_standin, ApiPaths::kAdvertisements);
    ASSERT_TRUE(held.isSet());
    showAgain();
    ASSERT_TRUE(held.waitUntilHeld());
    ASSERT_TRUE(s_standin->control(QJsonObject{{"banner_id", 99}}));
    showAgain();
    ASSERT_TRUE(QTest::qWaitFor([&] { return ad->model() && ad->model()->id == 99; }, kWait));
    ASSERT_TRUE(held.release([](const std::function<void()> &answered) {
        OONetWorkTool::advertisements(6, [answered](std::optional<QJsonObject>, std::optional<QString>) { answered(); });
    }));
    EXPECT_EQ(ad->model()->id, 99);
}

TEST_F(MorePageStandin, ALateUnreadCountBringsBackNoDotOnThePageOrTheMenu)
{
    NBMineViewController *page = showMorePage();
    ASSERT_NE(page, nullptr);
    QLabel *pageDot = page->itemOfType(NBMineViewController::messageRow)->redDot();
    QLabel *menuDot = m_split->leftSide()->accountItem()->redDot();
    // The first appearance asks three times: the menu once it is shown, the page, and the menu
    // again for the page. All three are on the service before the next appearance's are held.
    const auto asked = [] { return int(requestedPaths().count(ApiPaths::kUnreadMessages)); };
    ASSERT_TRUE(QTest::qWaitFor([&] { return asked() >= 3 && !pageDot->isHidden() && !menuDot->isHidden(); }, kWait));

    // Shown again: the page's and the menu's counts are made while the messages are unread and
    // held back, as on a slow network.
    const HeldAnswers held(*s_standin, ApiPaths::kUnreadMessages, 2);
    ASSERT_TRUE(held.isSet());
    showAgain();
    ASSERT_TRUE(held.waitUntilHeld());
    // The messages are read meanwhile; shown once more, the page and the menu lose their dots.
    ASSERT_TRUE(s_standin->control(QJsonObject{{"messages", QJsonArray()}}));
    showAgain();
    ASSERT_TRUE(QTest::qWaitFor([&] { return pageDot->isHidden() && menuDot->isHidden(); }, kWait));

    // The held counts come last: they bring back no dot.
    ASSERT_TRUE(held.release([](const std::function<void()> &answered) {
        OONetWorkTool::unreadMessages([answered](std::optional<QJsonObject>, std::optional<NetError>) { answered(); });
    }));
    EXPECT_TRUE(pageDot->isHidden());
    EXPECT_TRUE(menuDot->isHidden());
}

TEST_F(MorePageStandin, ALateAccountAnswerBringsBackNoAccountFromBefore)
{
    // A visitor: no phone, no account name in the header.
    NBMineViewController *page = showMorePage();
    ASSERT_NE(page, nullptr);
    QLabel *name = page->headerView()->nameLab();
    ASSERT_TRUE(QTest::qWaitFor([] { return requestedPaths().contains(ApiPaths::kAccountInfo); }, kWait));
    EXPECT_TRUE(name->text().isEmpty());

    // Shown again: the account is made as it stands and held back, as on a slow network.
    const HeldAnswers held(*s_standin, ApiPaths::kAccountInfo);
    ASSERT_TRUE(held.isSet());
    showAgain();
    ASSERT_TRUE(held.waitUntilHeld());
    // A phone is bound to the account meanwhile; shown once more, the header names it.
    const QString phone = QStringLiteral("139%1").arg(QDateTime::currentMSecsSinceEpoch() % 100000000, 8, 10, QLatin1Char('0'));
    std::optional<bool> bound;
    OONetWorkTool::boundAccount(QJsonObject{{"boundAccount", phone}, {"register_valid_code", "123456"}, {"region_code", "+86"},
                                            {"new_password", "abc12345"}},
                                [&](std::optional<QJsonObject> reply, std::optional<NetError> error) {
                                    bound = reply && !error;
                                });
    ASSERT_TRUE(QTest::qWaitFor([&] { return bound.has_value(); }, kWait));
    ASSERT_TRUE(*bound);
    const QString masked = QStringLiteral("******") + phone.right(4);
    showAgain();
    ASSERT_TRUE(QTest::qWaitFor([&] { return name->text().endsWith(masked); }, kWait));

    // The held account comes last: neither the header nor the stored account go back to it.
    ASSERT_TRUE(held.release([](const std::function<void()> &answered) {
        OONetWorkTool::accountInfo([answered](std::optional<QJsonObject>, std::optional<NetError>) { answered(); });
    }));
    EXPECT_TRUE(name->text().endsWith(masked)) << name->text().toStdString();
    const std::optional<HHUserInfo> stored = MKUserInfoManager::shared().currentUser();
    ASSERT_TRUE(stored && stored->user);
    EXPECT_EQ(stored->user->phone.value_or(QString()), phone);
}

TEST_F(MorePageStandin, APictureStillDownloadingNeverCoversTheNewerBannerShownFromTheCache)
{
    NBMineViewController *page = showMorePage();
    ASSERT_NE(page, nullptr);
    NBAdView *ad = page->headerView()->adView();
    // The service's banner, shown, and so in the cache.
    ASSERT_TRUE(QTest::qWaitFor([&] { return ad->model().has_value() && !ad->adImgView()->pixmap().isNull(); }, kWait));
    const QByteArray cachedArchive = TestHttp::get(s_standin->baseUrl() + QStringLiteral("/static/archives/banner.zip"));
    ASSERT_FALSE(cachedArchive.isEmpty());

    // Shown again, a new banner is listed whose picture's download is held back, as on a slow
    // network.
    const QByteArray newArchive = TestZipBuilder()
                                      .addFile(QStringLiteral("banner.png"), pngOf(Qt::darkGreen))
                                      .encrypt(ProtocolConfig::resourceArchivePassword())
                                      .build();
    ASSERT_TRUE(s_standin->control(
        QJsonObject{{"raw_archives", QJsonObject{{"banner", QString::fromLatin1(newArchive.toBase64())}}}, {"banner_id", 77}}));
    const HeldAnswers held(*s_standin, QStringLiteral("/static/archives/banner.zip"));
    ASSERT_TRUE(held.isSet());
    QSignalSpy finished(page->headerView(), &NBMineHeaderView::adImageFinished);
    showAgain();
    ASSERT_TRUE(held.waitUntilHeld());

    // Shown once more, the banner listed is one whose picture is cached: it shows at once.
    ASSERT_TRUE(s_standin->control(
        QJsonObject{{"raw_archives", QJsonObject{{"banner", QString::fromLatin1(cachedArchive.toBase64())}}}, {"banner_id", 78}}));
    showAgain();
    ASSERT_TRUE(QTest::qWaitFor([&] { return ad->model() && ad->model()->id == 78; }, kWait));
    const QImage shown = ad->adImgView()->pixmap().toImage();

    // The earlier picture lands last: unpacked, but the newer banner stays.
    ASSERT_TRUE(held.release());
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished.size() == 1; }, kWait));
    EXPECT_FALSE(finished.first().at(0).toBool());
    EXPECT_EQ(ad->model()->id, 78);
    EXPECT_TRUE(ad->adImgView()->pixmap().toImage() == shown) << "the held picture covers the banner shown";
}

TEST_F(MorePageStandin, HostileBannerArchiveIsRefusedWithNothingWritten)
{
    // A service of its own: the hostile banner must not reach the other tests.
    StandinProcess hostile;
    ASSERT_TRUE(hostile.start()) << hostile.errorText().toStdString();
    useService(hostile);
    AppPaths::ensureFolder(AppPaths::privateFolder());
    QFile acl(AppPaths::privateFolder() + QStringLiteral("/gfwlist.acl"));
    ASSERT_TRUE(acl.open(QIODevice::WriteOnly | QIODevice::Truncate));
    acl.write("[bypass_list]\n10.0.0.0/8\n");
    acl.close();
    const QStringList dataBefore = filesUnder(AppPaths::dataFolder());
    const QStringList cachesBefore = filesUnder(AppPaths::cachesFolder());

    ASSERT_TRUE(hostile.control(
        QJsonObject{{"raw_archives", QJsonObject{{"banner", QString::fromLatin1(climbingZip(pngOf(Qt::red)).toBase64())}}}}));

    NBMineViewController page;
    page.resize(728, 500);
    page.ensureLoaded();
    QSignalSpy finished(page.headerView(), &NBMineHeaderView::adImageFinished);
    page.requestAdvertisements();
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished.size() == 1; }, kWait));
    EXPECT_FALSE(finished.first().at(0).toBool());
    EXPECT_FALSE(page.headerView()->adView()->model().has_value());

    QFile after(AppPaths::privateFolder() + QStringLiteral("/gfwlist.acl"));
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_EQ(after.readAll(), QByteArray("[bypass_list]\n10.0.0.0/8\n"));
    EXPECT_EQ(filesUnder(AppPaths::dataFolder()), dataBefore);
    EXPECT_EQ(filesUnder(AppPaths::cachesFolder()), cachesBefore);
}
