#include "uikit/ImageCache.h"
#include "uikit/ImageLoader.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

#include "support/PngBytes.h"

namespace {

QByteArray png(QColor colour, int side = 4)
{
    return pngBytes(colour, QSize(side, side), QImage::Format_ARGB32);
}

QColor colourOf(const QImage &image)
{
    return image.isNull() ? QColor() : image.pixelColor(0, 0);
}

// A loopback HTTP server whose answers the test releases one by one, in any order.
class HeldServer
{
public:
    HeldServer()
    {
        m_server.listen(QHostAddress::LocalHost);
        QObject::connect(&m_server, &QTcpServer::newConnection, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection())
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { readRequest(socket); });
        });
    }

    QUrl url(const QString &path) const { return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path)); }
    bool hasRequest(const QString &path) const { return m_waiting.contains(path); }
    int requests() const { return m_requestCount; }

    void answer(const QString &path, const QByteArray &body)
    {
        QPointer<QTcpSocket> socket = m_waiting.take(path);
        if (!socket)
            return;
        socket->write("HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\nConnection: close\r\nContent-Length: "
                      + QByteArray::number(body.size()) + "\r\n\r\n" + body);
        socket->disconnectFromHost();
    }

private:
    void readRequest(QTcpSocket *socket)
    {
        m_buffers[socket] += socket->readAll();
        if (!m_buffers[socket].contains("\r\n\r\n"))
            return;
        const QList<QByteArray> line = m_buffers.take(socket).split('\n').first().split(' ');
        if (line.size() >= 2) {
            ++m_requestCount;
            m_waiting.insert(QString::fromLatin1(line.at(1)), socket);
        }
    }

    QTcpServer m_server;
    QHash<QTcpSocket *, QByteArray> m_buffers;
    QHash<QString, QPointer<QTcpSocket>> m_waiting;
    int m_requestCount = 0;
};

class ImageCacheTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }
    QString folder() const { return m_dir.filePath(QStringLiteral("images")); }

    QTemporaryDir m_dir;
};

TEST_F(ImageCacheTest, StoresDecodablePicturesUnderHashedNames)
{
    ImageCache cache(folder());
    const QString key = QStringLiteral("../../escape");
    EXPECT_FALSE(cache.containsDataForKey(key));

    ASSERT_TRUE(cache.setDataForKey(png(Qt::red), key).ok());

    EXPECT_TRUE(cache.containsDataForKey(key));
    const QFileInfo file(cache.cachePathForKey(key));
    EXPECT_EQ(file.absolutePath(), QFileInfo(folder()).absoluteFilePath());
    EXPECT_EQ(file.fileName().size(), 32);
    EXPECT_FALSE(QFileInfo::exists(m_dir.filePath(QStringLiteral("escape"))));
    EXPECT_EQ(colourOf(cache.imageFromMemoryCacheForKey(key)), QColor(Qt::red));
    EXPECT_EQ(cache.dataForKey(key), png(Qt::red));
    EXPECT_EQ(QFileInfo(folder()).permissions() & (QFileDevice::ReadOther | QFileDevice::ReadGroup), QFileDevice::Permissions());

    // A second cache on the same folder (the next run) finds it on disk.
    ImageCache later(folder());
    EXPECT_TRUE(later.imageFromMemoryCacheForKey(key).isNull());
    EXPECT_EQ(colourOf(later.imageFromCacheForKey(key)), QColor(Qt::red));
    EXPECT_EQ(colourOf(later.imageFromMemoryCacheForKey(key)), QColor(Qt::red));

    later.removeDataForKey(key);
    EXPECT_FALSE(later.containsDataForKey(key));
    EXPECT_TRUE(later.imageFromCacheForKey(key).isNull());
}

TEST_F(ImageCacheTest, RefusesWhatIsNoPicture)
{
    ImageCache cache(folder());
    ASSERT_TRUE(cache.setDataForKey(png(Qt::blue), QStringLiteral("fid")).ok());
    for (const QByteArray &bad : {QByteArray(), QByteArray("<html>502 Bad Gateway</html>"), QByteArray("\x89PNG\r\n\x1a\n", 8)}) {
        const ImageCache::Result result = cache.setDataForKey(bad, QStringLiteral("fid"));
        EXPECT_FALSE(result.ok());
        EXPECT_EQ(colourOf(ImageCache(folder()).imageFromCacheForKey(QStringLiteral("fid"))), QColor(Qt::blue));
    }
    EXPECT_FALSE(cache.setDataForKey(png(Qt::blue), QString()).ok());
    EXPECT_TRUE(cache.setDataForKey(png(Qt::blue), QStringLiteral("other")).ok());
}

TEST_F(ImageCacheTest, AnOlderRequestNeverReplacesANewerOnesPicture)
{
    ImageCache cache(folder());
    const quint64 older = cache.beginRequest(QStringLiteral("flag"));
    const quint64 newer = cache.beginRequest(QStringLiteral("flag"));
    ASSERT_TRUE(cache.setDataForKey(png(Qt::green), QStringLiteral("flag"), newer).ok());
    EXPECT_FALSE(cache.setDataForKey(png(Qt::red), QStringLiteral("flag"), older).ok());
    EXPECT_EQ(colourOf(ImageCache(folder()).imageFromCacheForKey(QStringLiteral("flag"))), QColor(Qt::green));

    // In order, each result replaces the one before; a store without a ticket is the newest.
    const quint64 first = cache.beginRequest(QStringLiteral("flag"));
    ASSERT_TRUE(cache.setDataForKey(png(Qt::yellow), QStringLiteral("flag"), first).ok());
    ASSERT_TRUE(cache.setDataForKey(png(Qt::cyan), QStringLiteral("flag")).ok());
    EXPECT_EQ(colourOf(cache.imageFromCacheForKey(QStringLiteral("flag"))), QColor(Qt::cyan));
}

TEST_F(ImageCacheTest, LoaderAnswersOnceFromTheEventLoopAndDropsSupersededAnswers)
{
    HeldServer server;
    ImageCache cache(folder());
    ImageLoader loader(cache);
    auto cell = std::make_unique<QObject>();
    QList<QColor> answers;
    QList<QUrl> handled;
    QObject::connect(&loader, &ImageLoader::downloadHandled, [&handled](const QUrl &url) { handled.append(url); });
    const auto record = [&answers](const QImage &image, const QString &) { answers.append(colourOf(image)); };

    // The same cell asks for a picture, then for another one under the same key.
    loader.load(server.url(QStringLiteral("/old.png")), QStringLiteral("flag"), cell.get(), record);
    loader.load(server.url(QStringLiteral("/new.png")), QStringLiteral("flag"), cell.get(), record);
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.hasRequest("/old.png") && server.hasRequest("/new.png"); }, 5000));
    server.answer(QStringLiteral("/new.png"), png(Qt::green));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !answers.isEmpty(); }, 5000));
    server.answer(QStringLiteral("/old.png"), png(Qt::red));
    // The old answer arrives last: it neither reaches the cell nor replaces the newer picture.
    ASSERT_TRUE(QTest::qWaitFor([&] { return handled.contains(server.url(QStringLiteral("/old.png"))); }, 5000));
    EXPECT_EQ(answers, QList<QColor>{QColor(Qt::green)});
    EXPECT_EQ(colourOf(ImageCache(folder()).imageFromCacheForKey(QStringLiteral("flag"))), QColor(Qt::green));

    // Cached now: the answer still comes later, never inside the call.
    answers.clear();
    loader.load(server.url(QStringLiteral("/new.png")), QStringLiteral("flag"), cell.get(), record);
    EXPECT_TRUE(answers.isEmpty());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !answers.isEmpty(); }, 5000));
    EXPECT_EQ(server.requests(), 2);

    // A cell that is gone gets nothing; the picture still lands in the cache.
    answers.clear();
    loader.load(server.url(QStringLiteral("/gone.png")), QStringLiteral("gone"), cell.get(), record);
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.hasRequest("/gone.png"); }, 5000));
    cell.reset();
    server.answer(QStringLiteral("/gone.png"), png(Qt::blue));
    ASSERT_TRUE(QTest::qWaitFor([&] { return cache.containsDataForKey("gone"); }, 5000));
    EXPECT_TRUE(answers.isEmpty());
}

TEST_F(ImageCacheTest, LoaderReportsWhatIsNoPictureAndCachesNothing)
{
    HeldServer server;
    ImageCache cache(folder());
    ImageLoader loader(cache);
    QObject cell;
    QStringList errors;
    int calls = 0;
    const auto record = [&](const QImage &image, const QString &error) {
        ++calls;
        EXPECT_TRUE(image.isNull());
        errors.append(error);
    };
    loader.load(server.url(QStringLiteral("/page")), QString(), &cell, record);
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.hasRequest("/page"); }, 5000));
    server.answer(QStringLiteral("/page"), "<html>error</html>");
    ASSERT_TRUE(QTest::qWaitFor([&] { return calls == 1; }, 5000));
    EXPECT_FALSE(errors.first().isEmpty());
    EXPECT_FALSE(cache.containsDataForKey(server.url(QStringLiteral("/page")).toString()));

    loader.load(QUrl(QStringLiteral("file:///etc/passwd")), QString(), &cell, record);
    ASSERT_TRUE(QTest::qWaitFor([&] { return calls == 2; }, 5000));
}

} // namespace
