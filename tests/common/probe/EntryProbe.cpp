// A test program that writes down what it meets once the entry has made its profile: the
// environment, whether a session bus answers, the install folder and the temporary folder. The
// file is the one OSTREL_TEST_PROBE_REPORT names. With OSTREL_TEST_PROBE_WEB set it first finds its display
// as a web-view program does.
#include <QDBusConnection>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

#include "common/AppPaths.h"
#include "support/WebTestDisplay.h"

namespace {

const bool kOwnDisplay = qEnvironmentVariableIsSet("OSTREL_TEST_PROBE_WEB") && WebTestDisplay::ensure();

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
                             {QStringLiteral("temp"), QDir::tempPath()}};
    QFile file(qEnvironmentVariable("OSTREL_TEST_PROBE_REPORT"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << file.fileName().toStdString();
    file.write(QJsonDocument(report).toJson());
}

} // namespace
