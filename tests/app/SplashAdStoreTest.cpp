// The cached splash advertisement: the reply table, the picture archive chain with archives made
// here (hostile ones included), and one round against the stand-in service.
#include <QDir>
#include <QDirIterator>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include "app/AdImageArchive.h"
#include "app/SplashAdStore.h"
#include "uikit/ImageCache.h"
#include "common/AppPaths.h"
#include "common/DefaultsKeys.h"
#include "common/HHNotificationTable.h"
#include "common/JsonUtils.h"
#include "common/ProtocolConfig.h"
#include "common/UrlUtils.h"
#include "common/UserDefaults.h"
#include "networking/NetworkUiHooks.h"
#include "networking/OONetWorkTool.h"
#include "support/PngBytes.h"
#include "support/StandinProcess.h"
#include "support/TestZipBuilder.h"
#include "support/NetworkTestSupport.h"

namespace {

QByteArray adPng(const QColor &colour = Qt::magenta)
{
    return pngBytes(colour, QSize(8, 5));
}

QJsonObject reply(const QJsonValue &pages, const QJsonValue &success = 1)
{
    return QJsonObject{{QStringLiteral("success"), success},
                       {QStringLiteral("data"), QJsonObject{{QStringLiteral("page_datas"), pages}}}};
}

QJsonObject ad(const QString &imgUrl)
{
    return QJsonObject{{QStringLiteral("id"), 11}, {QStringLiteral("img_url"), imgUrl},
                       {QStringLiteral("close_seconds"), QStringLiteral("3")},
                       {QStringLiteral("link_url"), QStringLiteral("{\"type\":\"buy\"}")}};
}

std::optional<QJsonObject> storedRow()
{
    const auto text = HHNotificationTable().queryJson(SplashAdStore::kRowName);
    return text ? JsonUtils::jsonObjectFromString(*text) : std::nullopt;
}

// Every file under the folder, for "nothing left behind" checks.
QStringList filesUnder(const QString &folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << it.next();
    return files;
}

class SplashAdStoreTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        UserDefaults::standard().setString(DefaultsKeys::kAppLanguageKey, QStringLiteral("zh-Hans"));
        ASSERT_TRUE(HHNotificationTable().remove(SplashAdStore::kRowName));
        store.setDownloader([this](const QString &url, auto done) {
            downloads << url;
            done(archive, std::nullopt);
        });
    }

    SplashAdStore store;
    QStringList downloads;
    std::optional<QByteArray> archive;
};

} // namespace

TEST_F(SplashAdStoreTest, OneKeyForStoringAndLoading)
{
    EXPECT_EQ(SplashAdStore::adImageKey(QStringLiteral("https://h/a.zip?fid=ab12&x=1")), QStringLiteral("ab12"));
    // An encoded "%" is encoded again first, so the key is the text as the service wrote it.
    EXPECT_EQ(SplashAdStore::adImageKey(QStringLiteral("https://h/a.zip?fid=a%20b")), QStringLiteral("a%20b"));
    EXPECT_EQ(SplashAdStore::adImageKey(QStringLiteral("https://h/a.zip")), std::nullopt);
    EXPECT_EQ(SplashAdStore::absoluteImageUrl(QStringLiteral("/static/a.zip"), QStringLiteral("http://h:1/")),
              QStringLiteral("http://h:1/static/a.zip"));
    EXPECT_EQ(SplashAdStore::absoluteImageUrl(QStringLiteral("static/a.zip"), QStringLiteral("http://h:1")),
              QStringLiteral("http://h:1/static/a.zip"));
    EXPECT_EQ(SplashAdStore::absoluteImageUrl(QStringLiteral("https://x/a"), QStringLiteral("http://h")),
              QStringLiteral("https://x/a"));
}

TEST_F(SplashAdStoreTest, UnsuccessfulRepliesKeepTheStoredAdvertisementUnusableOnesRemoveIt)
{
    const QString row = QStringLiteral("{\"img_url\":\"https://h/a?fid=k0\",\"language\":\"zh-Hans\"}");
    for (const auto &bad : {std::optional<QJsonObject>(), std::optional<QJsonObject>(QJsonObject{}),
                            std::optional<QJsonObject>(reply(QJsonArray{ad(QStringLiteral("/a?fid=1"))}, 0)),
                            std::optional<QJsonObject>(QJsonObject{{QStringLiteral("data"), QJsonObject{}}})}) {
        ASSERT_TRUE(HHNotificationTable().insertOrReplace(row, SplashAdStore::kRowName));
        store.handleSplashAdList(bad);
        EXPECT_EQ(HHNotificationTable().queryJson(SplashAdStore::kRowName), row);
    }
    for (const QJsonObject &unusable :
         {reply(QJsonArray{}), reply(QJsonArray{1, 2}), reply(QStringLiteral("x")),
          reply(QJsonArray{QJsonObject{{QStringLiteral("id"), QStringLiteral("12")}}}),
          QJsonObject{{QStringLiteral("success"), 1}, {QStringLiteral("data"), QJsonArray{}}}}) {
        ASSERT_TRUE(HHNotificationTable().insertOrReplace(row, SplashAdStore::kRowName));
        store.handleSplashAdList(unusable);
        EXPECT_EQ(HHNotificationTable().queryJson(SplashAdStore::kRowName), std::nullopt);
    }
    EXPECT_TRUE(downloads.isEmpty());
}

TEST_F(SplashAdStoreTest, GoodArchiveCachesThePictureStoresTheRowAndLeavesNothingBehind)
{
    const QByteArray picture = adPng();
    archive = TestZipBuilder()
                  .addFile(QStringLiteral("readme.txt"), "not a picture")
                  .addFile(QStringLiteral("splash.png"), picture)
                  .encrypt(ProtocolConfig::resourceArchivePassword())
                  .build();
    const QString key = QStringLiteral("good%1").arg(QDateTime::currentMSecsSinceEpoch());
    ImageCache::shared().removeDataForKey(key);
    const QStringList before = filesUnder(AppPaths::dataFolder());

    QSignalSpy finished(&store, &SplashAdStore::imageChainFinished);
    store.handleSplashAdList(reply(QJsonArray{ad(QStringLiteral("/static/splash.zip?fid=") + key)}));
    ASSERT_EQ(finished.count(), 1);
    EXPECT_TRUE(finished.first().first().toBool());
    ASSERT_EQ(downloads.size(), 1);
    EXPECT_TRUE(downloads.first().endsWith(QStringLiteral("/static/splash.zip?fid=") + key));

    EXPECT_EQ(ImageCache::shared().dataForKey(key), picture);
    const auto row = storedRow();
    ASSERT_TRUE(row.has_value());
    EXPECT_EQ(row->value(QStringLiteral("language")).toString(), QStringLiteral("zh-Hans"));
    EXPECT_TRUE(UrlUtils::isAbsoluteUrlText(row->value(QStringLiteral("img_url")).toString()));
    const auto loaded = store.loadCachedSplashAd();
    ASSERT_TRUE(loaded.has_value());
    EXPECT_EQ(loaded->closeSeconds, QStringLiteral("3"));

    // Nothing of the archive stays: no extracted file in the data or caches folder.
    EXPECT_EQ(filesUnder(AppPaths::dataFolder()), before);
    for (const QString &file : filesUnder(AppPaths::cachesFolder()))
        EXPECT_FALSE(file.endsWith(QStringLiteral(".png")) || file.endsWith(QStringLiteral(".txt"))) << file.toStdString();

    // Cached already: the next reply stores the row without a download.
    ASSERT_TRUE(HHNotificationTable().remove(SplashAdStore::kRowName));
    store.handleSplashAdList(reply(QJsonArray{ad(QStringLiteral("/static/splash.zip?fid=") + key)}));
    EXPECT_EQ(downloads.size(), 1);
    EXPECT_TRUE(storedRow().has_value());

    // Another language: not shown.
    UserDefaults::standard().setString(DefaultsKeys::kAppLanguageKey, QStringLiteral("en"));
    EXPECT_FALSE(store.loadCachedSplashAd().has_value());
}

TEST_F(SplashAdStoreTest, HostileOrBrokenArchivesCacheNothingAndWriteNothingOutside)
{
    const QString password = ProtocolConfig::resourceArchivePassword();
    const QString outside = AppPaths::dataFolder() + QStringLiteral("/evil.png");
    QFile::remove(outside);
    const QList<std::optional<QByteArray>> archives{
        TestZipBuilder().addFile(QStringLiteral("../../evil.png"), adPng()).encrypt(password).build(),
        TestZipBuilder().addFile(QStringLiteral("/tmp/evil.png"), adPng()).encrypt(password).build(),
        TestZipBuilder().addSymlink(QStringLiteral("link.png"), outside).encrypt(password).build(),
        TestZipBuilder().addFile(QStringLiteral("splash.png"), adPng()).encrypt(QStringLiteral("wrong")).build(),
        TestZipBuilder().addFile(QStringLiteral("page.html"), "<html></html>").encrypt(password).build(),
        QByteArray("PK\x03\x04 truncated garbage"),
        std::nullopt,
    };
    int round = 0;
    for (const auto &bytes : archives) {
        archive = bytes;
        const QString key = QStringLiteral("hostile%1-%2").arg(QDateTime::currentMSecsSinceEpoch()).arg(round++);
        QSignalSpy finished(&store, &SplashAdStore::imageChainFinished);
        store.handleSplashAdList(reply(QJsonArray{ad(QStringLiteral("https://h/x.zip?fid=") + key)}));
        ASSERT_EQ(finished.count(), 1) << round;
        EXPECT_FALSE(finished.first().first().toBool()) << round;
        EXPECT_FALSE(ImageCache::shared().containsDataForKey(key)) << round;
        EXPECT_FALSE(storedRow().has_value()) << round;
        EXPECT_FALSE(QFile::exists(outside)) << round;
        EXPECT_FALSE(QFile::exists(QStringLiteral("/tmp/evil.png"))) << round;
    }
}

TEST_F(SplashAdStoreTest, RoundAgainstTheStandinService)
{
    StandinProcess standin;
    ASSERT_TRUE(standin.start()) << standin.errorText().toStdString();
    auto hooks = installRecordingHooks();
    pointClientAt({standin.baseUrl()});
    SplashAdStore real;
    QSignalSpy finished(&real, &SplashAdStore::imageChainFinished);
    QPointer<SplashAdStore> guard(&real);
    OONetWorkTool::advertisements(1, [guard](std::optional<QJsonObject> reply, std::optional<QString>) {
        if (guard)
            guard->handleSplashAdList(reply);
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished.count() > 0; }, 15000));
    EXPECT_TRUE(finished.first().first().toBool());
    const auto loaded = real.loadCachedSplashAd();
    ASSERT_TRUE(loaded.has_value());
    const auto key = SplashAdStore::adImageKey(*loaded->imgUrl);
    ASSERT_TRUE(key.has_value());
    EXPECT_EQ(ImageCache::shared().imageFromDiskCacheForKey(*key).size(), QSize(800, 500));
}

// The unpacking both advertisement pictures share: which picture of several is kept, and what
// is refused before anything is unpacked.
TEST(AdImageArchive, KeepsTheFirstOrLastPictureAndRefusesWhatIsNoPictureArchive)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    ImageCache cache(folder.path());
    const QByteArray red = adPng(Qt::red);
    const QByteArray blue = adPng(Qt::blue);
    const QByteArray archive = TestZipBuilder()
                                   .addFile(QStringLiteral("a.png"), red)
                                   .addFile(QStringLiteral("notes.txt"), "no picture")
                                   .addFile(QStringLiteral("b.png"), blue)
                                   .encrypt(ProtocolConfig::resourceArchivePassword())
                                   .build();

    const auto first = AdImageArchive::unpackIntoCache(archive, QStringLiteral("k1"), AdImageArchive::Pick::FirstImage, cache);
    ASSERT_TRUE(first.ok()) << first.error.toStdString();
    EXPECT_EQ(cache.dataForKey(QStringLiteral("k1")), red);
    EXPECT_EQ(first.image.pixelColor(0, 0), QColor(Qt::red));
    const auto last = AdImageArchive::unpackIntoCache(archive, QStringLiteral("k2"), AdImageArchive::Pick::LastImage, cache);
    ASSERT_TRUE(last.ok()) << last.error.toStdString();
    EXPECT_EQ(cache.dataForKey(QStringLiteral("k2")), blue);
    EXPECT_EQ(last.image.pixelColor(0, 0), QColor(Qt::blue));

    const QByteArray oversize(AdImageArchive::kMaxArchiveBytes + 1, 'P');
    for (const QByteArray &bad : {QByteArray(), oversize}) {
        const auto refused = AdImageArchive::unpackIntoCache(bad, QStringLiteral("k3"), AdImageArchive::Pick::FirstImage, cache);
        EXPECT_FALSE(refused.ok());
        EXPECT_TRUE(refused.image.isNull());
        EXPECT_FALSE(cache.containsDataForKey(QStringLiteral("k3")));
    }
}
