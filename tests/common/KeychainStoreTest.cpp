// The keychain's private-file fallback, as used on machines without a secret service.
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include "common/AppPaths.h"
#include "common/KeychainStore.h"

namespace {

int modeOf(const QString &path)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return -1;
    return int(info.st_mode & 0777);
}

} // namespace

TEST(KeychainStoreTest, WithoutASessionBusTheFileIsChosen)
{
    QTemporaryDir runtime;
    const QByteArray savedBus = qgetenv("DBUS_SESSION_BUS_ADDRESS");
    const QByteArray savedRuntime = qgetenv("XDG_RUNTIME_DIR");
    qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    KeychainStore::shared().setBackendForTesting(KeychainStore::Backend::Unknown);
    EXPECT_EQ(KeychainStore::shared().backend(), KeychainStore::Backend::File);
    if (!savedBus.isEmpty())
        qputenv("DBUS_SESSION_BUS_ADDRESS", savedBus);
    qputenv("XDG_RUNTIME_DIR", savedRuntime);
}

TEST(KeychainStoreTest, FileKeepsSecretsPrivateAndSurvivesDamage)
{
    KeychainStore &store = KeychainStore::shared();
    store.setBackendForTesting(KeychainStore::Backend::File);
    QString error;
    EXPECT_FALSE(store.get(QStringLiteral("relay"), &error).has_value());
    EXPECT_TRUE(error.isEmpty()) << "a missing secret is no error";

    ASSERT_TRUE(store.set(QStringLiteral("relay"), QStringLiteral("p@ss \"word\" 密码"), &error)) << error.toStdString();
    ASSERT_TRUE(store.set(QStringLiteral("token"), QStringLiteral("abc"), &error));
    EXPECT_EQ(store.get(QStringLiteral("relay")), QStringLiteral("p@ss \"word\" 密码"));

    const QFileInfo file(store.filePath());
    EXPECT_EQ(modeOf(file.absoluteFilePath()), 0600);
    EXPECT_EQ(modeOf(file.absolutePath()), 0700);
    EXPECT_TRUE(file.absolutePath().startsWith(AppPaths::dataFolder()));

    ASSERT_TRUE(store.remove(QStringLiteral("token")));
    EXPECT_TRUE(store.remove(QStringLiteral("token"))) << "removing twice is fine";
    EXPECT_FALSE(store.get(QStringLiteral("token")).has_value());
    EXPECT_EQ(store.get(QStringLiteral("relay")), QStringLiteral("p@ss \"word\" 密码"));

    // A damaged file is an error on reading and is kept aside, not overwritten, on writing.
    QFile damaged(store.filePath());
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate));
    damaged.write("{\"relay\": ");
    damaged.close();
    error.clear();
    EXPECT_FALSE(store.get(QStringLiteral("relay"), &error).has_value());
    EXPECT_FALSE(error.isEmpty());
    ASSERT_TRUE(store.set(QStringLiteral("fresh"), QStringLiteral("1")));
    EXPECT_EQ(store.get(QStringLiteral("fresh")), QStringLiteral("1"));
    EXPECT_TRUE(QFile::exists(store.filePath() + QStringLiteral(".corrupt")));
}
