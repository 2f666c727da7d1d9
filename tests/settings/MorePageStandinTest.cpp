// The more page against the stand-in service: what one appearance asks for and what it shows
// (badge, expiry lines, unread dots, the banner unpacked from its password archive), and a
// hostile banner archive refused with nothing written anywhere.
#include <QBuffer>
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

#include "app/NBMainWindowController.h"
#include "uikit/ImageCache.h"
#include "uikit/UiTiming.h"
#include "common/ApiPaths.h"
#include "common/AppPaths.h"
#include "common/MKUserInfoManager.h"
#include "networking/OOHostSafeAdpter.h"
#include "networking/OONetWork.h"
#include "login/form/AccountReply.h"
#include "networking/OONetWorkTool.h"
#include "settings/more/NBAdView.h"
#include "settings/more/NBMineHeaderView.h"
#include "settings/more/NBMineItemView.h"
#include "settings/more/NBMineViewController.h"
#include "support/StandinProcess.h"
#include "support/NetworkTestSupport.h"

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

} // namespace

class MorePageStandin : public OneStandinPerSuite
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(s_standin && s_standin->isRunning());
        s_standin->clearFaults();
        useService(*s_standin);
    }

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

    UiTimingScope m_scope{0.01};
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

    // The page as the window shows it: its content swap brings the page in.
    NBMainWindowController window;
    auto *shown = new NBMineViewController;
    window.setContentViewController(shown);
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

    // Shown again: the picture comes from the cache, the archive is not fetched a second time.
    ASSERT_TRUE(s_standin->control(QJsonObject{{"clear_records", true}}));
    auto *shownAgain = new NBMineViewController;
    window.setContentViewController(shownAgain);
    NBMineViewController &again = *shownAgain;
    ASSERT_TRUE(QTest::qWaitFor([&] { return again.headerView()->adView()->model().has_value(); }, kWait));
    for (const QString &path : requestedPaths())
        EXPECT_FALSE(path.startsWith(QStringLiteral("/static/archives/"))) << path.toStdString();

    // Asked again while the answer to an earlier ask is held back, as on a slow network: the
    // banner the service has now stays when that earlier answer comes last.
    const auto held = [](const char *count) { return s_standin->records().value("held").toObject().value(count).toInt(); };
    const int heldBefore = held("answers");
    const int sentBefore = held("sent");
    ASSERT_TRUE(s_standin->fault(ApiPaths::kAdvertisements, QStringLiteral("hold"), 1));
    again.requestAdvertisements();
    ASSERT_TRUE(QTest::qWaitFor([&] { return held("answers") > heldBefore; }, kWait));
    ASSERT_TRUE(s_standin->control(QJsonObject{{"banner_id", 99}}));
    again.requestAdvertisements();
    NBAdView *shownAd = again.headerView()->adView();
    ASSERT_TRUE(QTest::qWaitFor([&] { return shownAd->model() && shownAd->model()->id == 99; }, kWait));
    ASSERT_TRUE(s_standin->control(QJsonObject{{"release_held", true}, {"banner_id", 0}}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return held("sent") > sentBefore; }, kWait));
    // One round trip more: the late answer, already there, is taken before this one's.
    auto answered = std::make_shared<bool>(false);
    OONetWorkTool::advertisements(6, [answered](std::optional<QJsonObject>, std::optional<QString>) { *answered = true; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return *answered; }, kWait));
    QTest::qWait(0);
    EXPECT_EQ(shownAd->model()->id, 99);
    window.setContentViewController(nullptr);
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

    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    ASSERT_TRUE(hostile.control(QJsonObject{{"raw_archives", QJsonObject{{"banner", QString::fromLatin1(climbingZip(png).toBase64())}}}}));

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
