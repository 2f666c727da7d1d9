// A program that tracks events and ends must end cleanly and at once, and its events must reach
// the service on the road the client's own requests take:
// - the analytics worker is wholly over before main returns (a thread still running its exit
//   clean-up while the exit handlers tear down the statics corrupts the heap), and OpenSSL does
//   not tear itself down under the threads of Qt's that nobody can join (the probe checks in its
//   last exit handler);
// - an end waits for no upload: not for a lookup nobody answers, nor for a TLS handshake under
//   way, straight to the service or through a proxy (the probe's uploads are patient for ten
//   minutes, so an end that waited would not come within any bound here);
// - a server that takes only requests addressed to its name, and offers HTTP/2, gets every event,
//   straight or through the proxy the system's configuration names;
// - nothing of the client's own requests outlives the application object: their network thread
//   ends in the teardown.
#include <QNetworkReply>
#include <QProcess>
#include <QTcpServer>
#include <QTest>

#include <gtest/gtest.h>

#include "support/HttpsPeer.h"
#include "support/TinyResolver.h"

namespace {

const QString kProbe = QStringLiteral(OSTREL_BINARY_DIR "/bin/analytics-exit-probe");
// The probe is told to track this many events.
constexpr int kEvents = 4;
constexpr int kRuns = 20;
constexpr int kQuitsMidHandshake = 25;
// Bounds against a hang, never the measure of a pass: the probe ends in milliseconds.
constexpr int kProbeBoundMs = 60000;
constexpr int kQueryBoundMs = 20000;

struct Ending
{
    bool finished = false;
    int code = -1;
    QString output;
};

// What the probe is pointed at: its resolver, the service, and the environment's proxy.
struct Road
{
    QString dns;
    QString api;
    QString httpsProxy;
};

QProcessEnvironment environmentFor(const Road &road)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    const auto set = [&environment](const char *name, const QString &value) {
        if (!value.isEmpty())
            environment.insert(QLatin1String(name), value);
    };
    set("OSTREL_EXIT_PROBE_DNS", road.dns);
    set("OSTREL_EXIT_PROBE_API", road.api);
    set("https_proxy", road.httpsProxy);
    environment.insert(QStringLiteral("OSTREL_EXIT_PROBE_EVENTS"), QString::number(kEvents));
    if (!road.api.isEmpty())
        environment.insert(QStringLiteral("OSTREL_EXIT_PROBE_CA"), HttpsPeer::certificateFile());
    return environment;
}

// Waits for the probe's end; one that does not end within the bound is killed.
Ending endOf(QProcess &probe)
{
    Ending ending;
    ending.finished = probe.waitForFinished(kProbeBoundMs);
    if (!ending.finished) {
        probe.kill();
        probe.waitForFinished();
    }
    ending.code = ending.finished && probe.exitStatus() == QProcess::NormalExit ? probe.exitCode() : -1;
    ending.output = QString::fromLocal8Bit(probe.readAll());
    return ending;
}

// Starts the probe in `mode`; in "quit-on-input" it quits once told by quit().
bool startProbe(QProcess &probe, const Road &road, const QString &mode = QStringLiteral("quit-on-input"))
{
    probe.setProcessEnvironment(environmentFor(road));
    probe.setProcessChannelMode(QProcess::MergedChannels);
    probe.start(kProbe, mode.isEmpty() ? QStringList() : QStringList{mode});
    return probe.waitForStarted(10000);
}

// Runs the probe in a mode that quits by itself, pointed nowhere, to its end.
Ending runProbe(const QString &mode)
{
    QProcess probe;
    if (!startProbe(probe, Road{}, mode))
        return {};
    return endOf(probe);
}

void quit(QProcess &probe)
{
    probe.write("quit\n");
    probe.closeWriteChannel();
}

// Waits until the probe has printed the outcome of every event it tracked, and keeps what it
// printed so far in `output`.
bool waitForOutcomes(QProcess &probe, QString &output)
{
    return QTest::qWaitFor([&] {
        output += QString::fromLocal8Bit(probe.readAll());
        return output.count(QLatin1String("uploaded ")) >= kEvents;
    }, kProbeBoundMs);
}

struct Outcomes
{
    bool all = false; // every event's outcome came before the quit
    QString printed;
    Ending ending;
};

// Lets the probe print every event's outcome, then quits it and waits for its end.
Outcomes quitOnceAllAreOut(QProcess &probe)
{
    Outcomes outcomes;
    outcomes.all = waitForOutcomes(probe, outcomes.printed);
    quit(probe);
    outcomes.ending = endOf(probe);
    return outcomes;
}

// Every event delivered and taken once by `server`, then an end at once and clean; `seen`: what
// tells why not.
void expectEveryEventTakenAndACleanEnd(const Outcomes &outcomes, HttpsPeer &server, const QString &seen)
{
    ASSERT_TRUE(outcomes.all) << qPrintable(outcomes.printed + outcomes.ending.output);
    EXPECT_EQ(server.count(QStringLiteral("taken")), kEvents) << qPrintable(seen);
    EXPECT_EQ(outcomes.printed.count(QLatin1String(" delivered")), kEvents) << qPrintable(outcomes.printed);
    ASSERT_TRUE(outcomes.ending.finished) << "the probe did not end";
    EXPECT_EQ(outcomes.ending.code, 0) << qPrintable(outcomes.ending.output);
}

QString apiAt(quint16 port)
{
    return QStringLiteral("https://%1:%2").arg(HttpsPeer::certifiedName()).arg(port);
}

} // namespace

TEST(AnalyticsAtExit, AProgramThatTracksAndEndsAtOnceNeverAborts)
{
    int crashes = 0;
    QString lastOutput;
    for (int run = 0; run < kRuns; ++run) {
        const Ending ending = runProbe({});
        ASSERT_TRUE(ending.finished) << "the probe did not end";
        if (ending.code != 0) {
            ++crashes;
            lastOutput = ending.output;
        }
    }
    EXPECT_EQ(crashes, 0) << "of " << kRuns << " runs; the last said:\n" << qPrintable(lastOutput);
}

// The worker's thread-exit clean-up (thread-local destructors, libcrypto's per-thread state) is
// made slow: the teardown must still return only once it is over.
TEST(AnalyticsAtExit, TheWorkerThreadHasWhollyEndedWhenTheTeardownReturns)
{
    const Ending ending = runProbe(QStringLiteral("slow-thread-exit"));
    ASSERT_TRUE(ending.finished) << "the probe did not end";
    EXPECT_EQ(ending.code, 0) << qPrintable(ending.output);
}

// A request of the client's own (the GUI thread's network manager, as the API's) over TLS: its
// network thread, and the TLS connection in it, end while the application object is whole. Left
// to the application's end, the connection's last clean-up runs without one, and Qt says so.
TEST(AnalyticsAtExit, TheClientsOwnRequestsLeaveNothingToTheApplicationsEnd)
{
    const auto server = HttpsPeer::server(QHostAddress(QStringLiteral("127.0.0.1")));
    ASSERT_TRUE(server->isListening()) << qPrintable(server->errorText());
    QProcess probe;
    // By address: the certificate names another host, so the handshake fails, but it was made.
    const QString api = QStringLiteral("https://127.0.0.1:%1").arg(server->port());
    ASSERT_TRUE(startProbe(probe, Road{{}, api, {}}, QStringLiteral("client-request")));

    const Ending ending = endOf(probe);
    ASSERT_TRUE(ending.finished) << "the probe did not end";
    EXPECT_EQ(ending.code, 0) << qPrintable(ending.output);
    const QString handshakeFailed = QStringLiteral("client request ended %1").arg(int(QNetworkReply::SslHandshakeFailedError));
    ASSERT_TRUE(ending.output.contains(handshakeFailed)) << qPrintable(ending.output);
    EXPECT_FALSE(ending.output.contains(QLatin1String("invalid nullptr parameter"))) << qPrintable(ending.output);
}

// The uploads' lookups go to a server that never answers; the probe is told to end once one
// reached it, and ends without waiting for an answer (lookups against a resolver a test names
// wait ten minutes for one).
TEST(AnalyticsAtExit, AnEndIsNotHeldUpByALookupThatIsNeverAnswered)
{
    TinyResolver silent({}, false);
    QProcess probe;
    ASSERT_TRUE(startProbe(probe, Road{silent.server(), {}, {}})) << qPrintable(probe.errorString());

    const bool asked = QTest::qWaitFor([&] { return silent.questions() > 0; }, kQueryBoundMs);
    quit(probe);
    const Ending ending = endOf(probe);
    ASSERT_TRUE(asked) << "no lookup reached the resolver the probe was given";
    ASSERT_TRUE(ending.finished) << "the probe waited for the lookup";
    EXPECT_EQ(ending.code, 0) << qPrintable(ending.output);
}

// Straight to the service: the host is looked up, the server named by it.
TEST(AnalyticsAtExit, EveryEventReachesAServerThatTakesOnlyItsNameAndTheEndComesAtOnce)
{
    const auto server = HttpsPeer::server(QHostAddress(QStringLiteral("127.0.0.1")));
    ASSERT_TRUE(server->isListening()) << qPrintable(server->errorText());
    TinyResolver resolver({QHostAddress(QStringLiteral("127.0.0.1"))});
    QProcess probe;
    ASSERT_TRUE(startProbe(probe, Road{resolver.server(), apiAt(server->port()), {}}));

    const Outcomes outcomes = quitOnceAllAreOut(probe);
    expectEveryEventTakenAndACleanEnd(outcomes, *server, server->seen().join(QLatin1Char('\n')));
}

// The system's proxy question never comes back (libproxy's GNOME plugin once the session bus has
// gone, on a thread that an exit handler waits for): the client's requests still leave, on the
// route stated for no answer (straight), and the quit, sent once the question is with the system,
// ends at once with status 0, whether the route was pointed at the quit or changed before it.
TEST(AnalyticsAtExit, AProxyQuestionThatNeverComesBackHoldsUpNeitherTheRequestsNorTheQuit)
{
    // Far past the quit's own bounds: a quit that waits for the question never ends.
    constexpr int kQuitBoundMs = 15000;
    for (const char *mode : {"stuck-route-connected", "stuck-route-changed"}) {
        SCOPED_TRACE(mode);
        const auto server = HttpsPeer::server(QHostAddress(QStringLiteral("127.0.0.1")));
        ASSERT_TRUE(server->isListening()) << qPrintable(server->errorText());
        TinyResolver resolver({QHostAddress(QStringLiteral("127.0.0.1"))});
        QProcess probe;
        ASSERT_TRUE(startProbe(probe, Road{resolver.server(), apiAt(server->port()), {}}, QString::fromLatin1(mode)));

        QString printed;
        const bool all = waitForOutcomes(probe, printed);
        // And a question is with the system: a quit before that finds nothing stuck, the stand-in's
        // exit handler waits for nothing, and the end would show nothing.
        const bool asked = QTest::qWaitFor([&] {
            printed += QString::fromLocal8Bit(probe.readAll());
            return printed.contains(QLatin1String("system asked"));
        }, kProbeBoundMs);
        quit(probe);
        const bool ended = probe.waitForFinished(kQuitBoundMs);
        const int code = ended && probe.exitStatus() == QProcess::NormalExit ? probe.exitCode() : -1;
        if (!ended) {
            probe.kill();
            probe.waitForFinished();
        }
        const QString output = printed + QString::fromLocal8Bit(probe.readAll());
        ASSERT_TRUE(all) << qPrintable(output);
        ASSERT_TRUE(asked) << "no question reached the system before the quit: " << qPrintable(output);
        EXPECT_EQ(printed.count(QLatin1String(" delivered")), kEvents) << qPrintable(printed);
        EXPECT_EQ(server->count(QStringLiteral("taken")), kEvents);
        ASSERT_TRUE(ended) << "the quit waited for the system's proxy question";
        EXPECT_EQ(code, 0) << qPrintable(output);
    }
}

// Through the proxy the environment names (as the system's configuration gives it to the
// client's own requests): the host has no address and the resolver never answers, so only the
// proxy can reach it, and nothing is looked up here.
TEST(AnalyticsAtExit, EveryEventReachesTheServerThroughTheProxyTheSystemNames)
{
    const auto server = HttpsPeer::server(QHostAddress(QStringLiteral("127.0.0.1")));
    ASSERT_TRUE(server->isListening()) << qPrintable(server->errorText());
    const auto proxy = HttpsPeer::proxy({{HttpsPeer::certifiedName(), QStringLiteral("127.0.0.1")}});
    ASSERT_TRUE(proxy->isListening()) << qPrintable(proxy->errorText());
    TinyResolver silent({}, false);
    QProcess probe;
    const QString proxyUrl = QStringLiteral("http://127.0.0.1:%1").arg(proxy->port());
    ASSERT_TRUE(startProbe(probe, Road{silent.server(), apiAt(server->port()), proxyUrl}));

    const Outcomes outcomes = quitOnceAllAreOut(probe);
    expectEveryEventTakenAndACleanEnd(outcomes, *server, proxy->seen().join(QLatin1Char('\n')));
    EXPECT_TRUE(proxy->seen().contains(
        QStringLiteral("connect %1:%2").arg(HttpsPeer::certifiedName()).arg(server->port())));
    EXPECT_EQ(silent.questions(), 0);
}

// A quit while the uploads' TLS handshakes are under way, with a server that takes the
// connection and never answers: straight to it and through a proxy, again and again, each
// probe ends at once and cleanly (Qt's network thread, which holds libcrypto state, may still be
// ending beside the exit handlers).
TEST(AnalyticsAtExit, AQuitMidHandshakeEndsAtOnceStraightOrThroughAProxy)
{
    TinyResolver resolver({QHostAddress(QStringLiteral("127.0.0.1"))});
    const auto proxy = HttpsPeer::proxy({{HttpsPeer::certifiedName(), QStringLiteral("127.0.0.1")}});
    ASSERT_TRUE(proxy->isListening()) << qPrintable(proxy->errorText());
    for (const QString &httpsProxy : {QString(), QStringLiteral("http://127.0.0.1:%1").arg(proxy->port())}) {
        for (int run = 0; run < kQuitsMidHandshake; ++run) {
            // A server of each run's own, so that a connection an earlier run left on its way
            // cannot stand for this run's.
            QTcpServer holder;
            ASSERT_TRUE(holder.listen(QHostAddress(QStringLiteral("127.0.0.1")), 0));
            QProcess probe;
            ASSERT_TRUE(startProbe(probe, Road{resolver.server(), apiAt(holder.serverPort()), httpsProxy}));
            // The event loop runs meanwhile: the resolver answers from it.
            const bool underWay = QTest::qWaitFor([&] { return holder.hasPendingConnections(); }, kProbeBoundMs);
            quit(probe);
            const Ending ending = endOf(probe);
            ASSERT_TRUE(underWay) << "no upload reached the server; proxy " << qPrintable(httpsProxy);
            ASSERT_TRUE(ending.finished) << "the probe waited for the handshake; proxy " << qPrintable(httpsProxy);
            ASSERT_EQ(ending.code, 0) << qPrintable(ending.output);
        }
    }
}
