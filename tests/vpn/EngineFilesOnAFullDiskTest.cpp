// The connect road when the engines' files cannot be written: the data folder's private folder on a
// real full disk (support/SmallDisk.h). The connect fails saying why, nothing is started, and the
// files of the last connection stay whole.

#include <QJsonDocument>

#include "support/ConnectRoadFixture.h"
#include "support/SmallDisk.h"
#include "vpn/HLLConnection.h"

namespace {

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class EngineFilesOnAFullDiskTest : public ConnectRoadFixture
{
protected:
    void SetUp() override
    {
        startPieces(QStringLiteral("standin-sslocal-scripted"));
        signInAsVisitor();
        makeController();
        UserDefaults::standard().setString(DefaultsKeys::kAppLanguageKey, QStringLiteral("en"));
    }
};

TEST_F(EngineFilesOnAFullDiskTest, AConnectWhoseFilesCannotBeWrittenSaysWhyAndStartsNothing)
{
    SmallDisk disk(AppPaths::privateFolder());
    if (const std::optional<std::string> why = disk.unavailable())
        GTEST_SKIP() << *why;
    // TUN on: both engines' files are written.
    UserDefaults::standard().setBool(DefaultsKeys::kTunStateKey, true);
    ASSERT_TRUE(connectAndWait()) << m_view.errors.join(QLatin1Char('|')).toStdString();
    ASSERT_TRUE(stopAndWait());
    const QByteArray sslocal = fileBytes(HLLConnection::sslocalConfigPath());
    const QByteArray singBox = fileBytes(HLLConnection::singBoxConfigPath());
    ASSERT_TRUE(QJsonDocument::fromJson(sslocal).isObject());
    ASSERT_TRUE(QJsonDocument::fromJson(singBox).isObject());
    const qsizetype enginesBefore = enginePids().size();
    m_view = RecordingView();

    ASSERT_TRUE(disk.fill());
    EXPECT_FALSE(connectAndWait());
    ASSERT_EQ(m_view.errors.size(), 1);
    EXPECT_EQ(m_view.errors.first(),
              QStringLiteral("Could not connect: the connection's settings cannot be saved (cannot write %1: No space "
                             "left on device).")
                  .arg(HLLConnection::sslocalConfigPath()));
    EXPECT_EQ(enginePids().size(), enginesBefore) << "an engine was started";
    EXPECT_FALSE(proxyPointsAtUs());
    EXPECT_FALSE(UserDefaults::standard().boolForKey(DefaultsKeys::kProxyConnected));
    EXPECT_EQ(fileBytes(HLLConnection::sslocalConfigPath()), sslocal);
    EXPECT_EQ(fileBytes(HLLConnection::singBoxConfigPath()), singBox);

    // With the space back, the next click connects.
    disk.makeRoom();
    m_view = RecordingView();
    EXPECT_TRUE(connectAndWait()) << m_view.errors.join(QLatin1Char('|')).toStdString();
    ASSERT_TRUE(stopAndWait());
    EXPECT_TRUE(noEngineLeft());
}

} // namespace
