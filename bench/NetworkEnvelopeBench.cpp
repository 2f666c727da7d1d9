// Measures what the envelope (encrypt, sign, decrypt, parse) costs against a whole node-list
// round trip over loopback to the stand-in service, and prints the ratio (goal: under 0.1).
//   bench_network_envelope [rounds]
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstdio>

#include "common/AppPaths.h"
#include "common/ProcessTeardown.h"
#include "common/OOAES256.h"
#include "common/ProtocolConfig.h"
#include "networking/OONetParamManager.h"
#include "networking/OONetWork.h"
#include "networking/OONetWorkTool.h"
#include "support/StandinProcess.h"
#include "common/ApiPaths.h"

namespace {

// Runs the event loop until the request completes. (QTest::qWaitFor sleeps 10 ms between
// checks, which would be measured instead of the round trip.)
double roundTrips(const QString &url, int rounds, bool envelope)
{
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < rounds; ++i) {
        QEventLoop loop;
        QTimer::singleShot(10000, &loop, &QEventLoop::quit);
        if (envelope) {
            OONetWork::shared().requestData(QStringLiteral("GET"), url, true, QJsonObject{{QStringLiteral("kind"), 1}}, std::nullopt,
                                            [&loop](std::optional<QJsonObject>, std::optional<NetError>) { loop.quit(); });
        } else {
            OONetWork::shared().requestConfigRawData(QStringLiteral("GET"), url,
                                                     [&loop](std::optional<QByteArray>, std::optional<NetError>) { loop.quit(); });
        }
        loop.exec();
    }
    return double(clock.nsecsElapsed()) / rounds / 1e6;
}

double envelopeCost(const QByteArray &sealedReply, int rounds)
{
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < rounds; ++i) {
        const QJsonObject merged = OONetParamManager::shared().mergeAppInfoParameters(QJsonObject{{QStringLiteral("kind"), 1}});
        const std::optional<QJsonObject> wire = OONetParamManager::shared().encryptParameters(merged);
        NetError error;
        const std::optional<QJsonObject> reply = OONetWork::decodeResponseBody(sealedReply, &error);
        if (!wire || !reply)
            return -1;
    }
    return double(clock.nsecsElapsed()) / rounds / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    ProcessTeardown::keepOpenSslToTheEnd();
    QTemporaryDir profile;
    qputenv("HOME", profile.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (profile.path() + QStringLiteral("/.config")).toLocal8Bit());
    qputenv("XDG_CACHE_HOME", (profile.path() + QStringLiteral("/.cache")).toLocal8Bit());
    // The per-request console lines would drown the figures.
    qputenv("QT_LOGGING_RULES", "*.debug=false");
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 200;

    StandinProcess standin;
    if (!standin.start()) {
        std::fprintf(stderr, "cannot start the stand-in: %s\n", qPrintable(standin.errorText()));
        return 1;
    }
    AppPaths::ensureFolder(AppPaths::configFolder());
    QFile hosts(AppPaths::configFolder() + QStringLiteral("/hosts.json"));
    hosts.open(QIODevice::WriteOnly);
    hosts.write(QStringLiteral("{\"hosts\": [\"%1\"]}").arg(standin.baseUrl()).toUtf8());
    hosts.close();

    // A real node-list reply, to decode in the envelope measurement.
    bool done = false;
    QJsonObject sample;
    OONetWork::shared().requestData(QStringLiteral("GET"), OONetWorkTool::apiUrl(ApiPaths::kNodeList), true,
                                    QJsonObject{{QStringLiteral("kind"), 1}}, std::nullopt,
                                    [&](std::optional<QJsonObject> r, std::optional<NetError>) { done = true; sample = r.value_or(QJsonObject()); });
    if (!QTest::qWaitFor([&done] { return done; }, 10000) || sample.isEmpty()) {
        std::fprintf(stderr, "the stand-in did not answer the node list\n");
        return 1;
    }
    const QByteArray sealed = OOAES256::encryptBytes(ProtocolConfig::apiKey(), QJsonDocument(sample).toJson(QJsonDocument::Compact))->toLatin1();

    const double withEnvelope = roundTrips(OONetWorkTool::apiUrl(ApiPaths::kNodeList), rounds, true);
    const double plain = roundTrips(standin.baseUrl() + QStringLiteral("/__plain/api/client/society_v2/nodes/node_list?kind=1"), rounds, false);
    const double cost = envelopeCost(sealed, rounds);
    const double share = cost / withEnvelope;
    std::printf("node-list round trip with envelope:    %.3f ms\n", withEnvelope);
    std::printf("node-list round trip without envelope: %.3f ms\n", plain);
    std::printf("envelope cost (encrypt, sign, decrypt, parse): %.3f ms\n", cost);
    std::printf("envelope share of the round trip: %.3f (goal < 0.1): %s\n", share, share < 0.1 ? "met" : "MISSED");
    return cost >= 0 && share < 0.1 ? 0 : 1;
}
