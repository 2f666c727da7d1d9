// The keychain's private-file fallback, as used on machines without a secret service, and its
// answers: always later, from the event loop, never blocking it.
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include "common/AppPaths.h"
#include "common/unreached/KeychainStore.h"

namespace {

int modeOf(const QString &path)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return -1;
    return int(info.st_mode & 0777);
}

struct Read
{
    bool answered = false;
    std::optional<QString> secret;
    QString error;
};

Read get(const QString &key)
{
    auto read = std::make_shared<Read>();
    KeychainStore::shared().get(key, [read](std::optional<QString> secret, QString error) {
        read->answered = true;
        read->secret = secret;
        read->error = error;
    });
    EXPECT_FALSE(read->answered) << "answered inside the call";
    EXPECT_TRUE(QTest::qWaitFor([read] { return read->answered; }, 5000));
    return *read;
}

std::pair<bool, QString> write(const QString &key, const std::optional<QString> &secret)
{
    auto result = std::make_shared<std::optional<std::pair<bool, QString>>>();
    auto done = [result](bool ok, QString error) { result->emplace(ok, error); };
    if (secret)
        KeychainStore::shared().set(key, *secret, done);
    else
        KeychainStore::shared().remove(key, done);
    EXPECT_FALSE(result->has_value()) << "answered inside the call";
    EXPECT_TRUE(QTest::qWaitFor([result] { return result->has_value(); }, 5000));
    return result->value_or(std::pair<bool, QString>{false, QStringLiteral("no answer")});
}

// Environment changes undone at the end of a test.
class EnvironmentGuard
{
public:
    explicit EnvironmentGuard(std::initializer_list<const char *> names)
    {
        for (const char *name : names)
            m_saved.emplace_back(name, qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt);
    }
    ~EnvironmentGuard()
    {
        for (const auto &[name, value] : m_saved) {
            if (value)
                qputenv(name, *value);
            else
                qunsetenv(name);
        }
        KeychainStore::shared().setBackendForTesting(KeychainStore::Backend::File);
        KeychainStore::shared().setJobTimeoutForTesting(KeychainStore::kJobTimeoutMs);
    }

private:
    std::vector<std::pair<const char *, std::optional<QByteArray>>> m_saved;
};

} // namespace

TEST(KeychainStoreTest, WithoutASessionBusTheFileIsChosen)
{
    EnvironmentGuard environment{"DBUS_SESSION_BUS_ADDRESS", "XDG_RUNTIME_DIR"};
    QTemporaryDir runtime;
    qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    KeychainStore::shared().setBackendForTesting(KeychainStore::Backend::Unknown);
    get(QStringLiteral("anything"));
    EXPECT_EQ(KeychainStore::shared().backend(), KeychainStore::Backend::File);
}

TEST(KeychainStoreTest, FileKeepsSecretsPrivateAndSurvivesDamage)
{
    KeychainStore &store = KeychainStore::shared();
    store.setBackendForTesting(KeychainStore::Backend::File);
    const Read missing = get(QStringLiteral("relay"));
    EXPECT_FALSE(missing.secret.has_value());
    EXPECT_TRUE(missing.error.isEmpty()) << "a missing secret is no error";

    const auto stored = write(QStringLiteral("relay"), QStringLiteral("p@ss \"word\" 密码"));
    ASSERT_TRUE(stored.first) << stored.second.toStdString();
    ASSERT_TRUE(write(QStringLiteral("token"), QStringLiteral("abc")).first);
    EXPECT_EQ(get(QStringLiteral("relay")).secret, QStringLiteral("p@ss \"word\" 密码"));

    const QFileInfo file(store.filePath());
    EXPECT_EQ(modeOf(file.absoluteFilePath()), 0600);
    EXPECT_EQ(modeOf(file.absolutePath()), 0700);
    EXPECT_TRUE(file.absolutePath().startsWith(AppPaths::dataFolder()));

    ASSERT_TRUE(write(QStringLiteral("token"), std::nullopt).first);
    EXPECT_TRUE(write(QStringLiteral("token"), std::nullopt).first) << "removing twice is fine";
    EXPECT_FALSE(get(QStringLiteral("token")).secret.has_value());
    EXPECT_EQ(get(QStringLiteral("relay")).secret, QStringLiteral("p@ss \"word\" 密码"));

    // A damaged file is an error on reading and is kept aside, not overwritten, on writing.
    QFile damaged(store.filePath());
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate));
    damaged.write("{\"relay\": ");
    damaged.close();
    const Read broken = get(QStringLiteral("relay"));
    EXPECT_FALSE(broken.secret.has_value());
    EXPECT_FALSE(broken.error.isEmpty());
    ASSERT_TRUE(write(QStringLiteral("fresh"), QStringLiteral("1")).first);
    EXPECT_EQ(get(QStringLiteral("fresh")).secret, QStringLiteral("1"));
    EXPECT_TRUE(QFile::exists(store.filePath() + QStringLiteral(".corrupt")));
}

TEST(KeychainStoreTest, AnUnansweringSecretServiceFailsWithoutHoldingTheEventLoop)
{
    // A session bus whose address leads nowhere: the secret service cannot answer.
    EnvironmentGuard environment{"DBUS_SESSION_BUS_ADDRESS"};
    QTemporaryDir folder;
    qputenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + folder.filePath("no-bus")).toLocal8Bit());
    KeychainStore &store = KeychainStore::shared();
    store.setBackendForTesting(KeychainStore::Backend::SecretService);
    store.setJobTimeoutForTesting(1000);

    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
    ticker.start(50);
    QElapsedTimer clock;
    clock.start();
    const Read read = get(QStringLiteral("relay"));
    EXPECT_FALSE(read.secret.has_value());
    EXPECT_FALSE(read.error.isEmpty());
    // The loop kept turning while the store waited: about one tick per 50 ms went by.
    EXPECT_GE(ticks, int(clock.elapsed() / 50) / 2);
}
