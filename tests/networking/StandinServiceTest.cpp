// The stand-in service itself: scenario files, loopback-only listening, refusing what a real
// service would refuse.
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "NetworkTestSupport.h"
#include "networking/OONetWorkTool.h"
#include "common/ApiPaths.h"

namespace {

QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &content)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(content);
    return path;
}

} // namespace

TEST(StandinService, ScenarioFileSetsFaultsFromTheStart)
{
    QTemporaryDir dir;
    const QJsonObject scenario{{QStringLiteral("faults"), QJsonArray{QJsonObject{
        {QStringLiteral("path"), ApiPaths::kNodeList},
        {QStringLiteral("kind"), QStringLiteral("fail")},
        {QStringLiteral("count"), 1}}}}};
    StandinProcess standin;
    ASSERT_TRUE(standin.start({QStringLiteral("--scenario"), writeFile(dir, QStringLiteral("s.json"), QJsonDocument(scenario).toJson())}))
        << standin.errorText().toStdString();
    pointClientAt({standin.baseUrl()});

    auto lines = [] {
        std::optional<NetError> error;
        bool done = false;
        OONetWorkTool::nodeList([&](std::optional<QString>, std::optional<NetError> e) { done = true; error = e; });
        EXPECT_TRUE(QTest::qWaitFor([&] { return done; }, 5000));
        return error;
    };
    const std::optional<NetError> first = lines();
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(first->message, QStringLiteral("操作失败"));
    EXPECT_FALSE(lines().has_value());   // the fault was good for one request
}

TEST(StandinService, UnreadableScenarioStopsTheStart)
{
    QTemporaryDir dir;
    StandinProcess standin;
    EXPECT_FALSE(standin.start({QStringLiteral("--scenario"), writeFile(dir, QStringLiteral("bad.json"), "{not json")}));
    EXPECT_FALSE(standin.isRunning());
}

TEST(StandinService, RefusesUnsignedAndUnencryptedRequests)
{
    StandinProcess standin;
    ASSERT_TRUE(standin.start()) << standin.errorText().toStdString();
    int status = 0;
    // A plain path does not decrypt.
    TestHttp::get(standin.baseUrl() + ApiPaths::kNodeList + QStringLiteral("?kind=1"), &status);
    EXPECT_EQ(status, 404);
    // An encrypted path without an envelope gets a sealed refusal, not data.
    const QByteArray body = TestHttp::get(standin.baseUrl() + OONetWorkTool::encryptPath(ApiPaths::kNodeList), &status);
    EXPECT_EQ(status, 200);
    NetError error;
    const std::optional<QJsonObject> reply = OONetWork::decodeResponseBody(body, &error);
    ASSERT_TRUE(reply.has_value());
    EXPECT_FALSE(reply->value(QStringLiteral("success")).toBool());
    EXPECT_FALSE(reply->contains(QStringLiteral("data")));
}
