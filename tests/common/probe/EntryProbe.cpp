// A test program that writes down what it meets once the entry has made its profile: the
// environment, whether a session bus answers, the install folder, the temporary folder, and
// whether a socket can listen where the tests put theirs (the helper's, in the runtime folder and
// in a temporary folder of a test's). The
// file is the one OSTREL_TEST_PROBE_REPORT names. With OSTREL_TEST_PROBE_WEB set it first finds its display
// as a web-view program does.
#include <QDBusConnection>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalServer>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "common/AppPaths.h"
#include "common/HelperProtocol.h"
#include "support/WebTestDisplay.h"

namespace {

const bool kOwnDisplay = qEnvironmentVariableIsSet("OSTREL_TEST_PROBE_WEB") && WebTestDisplay::ensure();

bool listensAt(const QString &path)
{
    QLocalServer server;
    return server.listen(path);
}

bool socketsListen()
{
    const QTemporaryDir folder;
    return folder.isValid() && listensAt(folder.filePath(QStringLiteral("helper.sock.part")))
           && listensAt(qEnvironmentVariable("XDG_RUNTIME_DIR") + QLatin1Char('/') + QLatin1String(HelperProtocol::kSocketName));
}

TEST(EntryProbe, WritesDownWhatItMeets)
{
    QJsonObject environment;
    const QProcessEnvironment system = QProcessEnvironment::systemEnvironment();
    for (const QString &name : system.keys())
        environment.insert(name, system.value(name));
    const QJsonObject report{{QStringLiteral("environment"), environment},
                             {QStringLiteral("sessionBus"), QDBusConnection::sessionBus().isConnected()},
                             {QStringLiteral("ownDisplay"), kOwnDisplay},
                             {QStringLiteral("installFolder"), AppPaths::installFolder()},
                             {QStringLiteral("home"), QDir::homePath()},
                             {QStringLiteral("temp"), QDir::tempPath()},
                             {QStringLiteral("socketsListen"), socketsListen()}};
    QFile file(qEnvironmentVariable("OSTREL_TEST_PROBE_REPORT"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << file.fileName().toStdString();
    file.write(QJsonDocument(report).toJson());
}

} // namespace
