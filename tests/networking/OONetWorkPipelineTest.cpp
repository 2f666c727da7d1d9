// The request pipeline against the stand-in service over real loopback HTTP.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSignalSpy>
#include <QThread>

#include <chrono>
#include <future>

#include <gtest/gtest.h>

#include <thread>

#include <sys/resource.h>

#include "support/NetworkTestSupport.h"
#include "common/MKUserInfoManager.h"
#include "common/MKUserTable.h"
#include "common/RequestLogTable.h"
#include "networking/unreached/HLLNetAPI.h"
#include "networking/OONetWork.h"
#include "networking/OONetWorkTool.h"
#include "networking/OORequestLogReporter.h"
#include "networking/ReplyGuard.h"
#include "networking/XSAnalyticsManager.h"
#include "support/MessageCapture.h"
#include "support/StandinProcess.h"
#include "common/ApiPaths.h"

namespace {

const QString kNodeList = ApiPaths::kNodeList;

struct Outcome
{
    bool called = false;
    std::optional<QJsonObject> response;
    std::optional<NetError> error;
    bool onGuiThread = false;
};

qint64 peakResidentBytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return qint64(usage.ru_maxrss) * 1024;
}

class PipelineTest : public StandinSuite
{
protected:
    Outcome request(const QString &method, const QString &path, const std::optional<QJsonObject> &params = std::nullopt, int waitMs = 5000)
    {
        auto outcome = std::make_shared<Outcome>();
        OONetWork::shared().requestData(method, OONetWorkTool::apiUrl(path), true, params, std::nullopt,
                                        [outcome](std::optional<QJsonObject> r, std::optional<NetError> e) {
            outcome->called = true;
            outcome->response = r;
            outcome->error = e;
            outcome->onGuiThread = QThread::currentThread() == QCoreApplication::instance()->thread();
        });
        (void)QTest::qWaitFor([outcome] { return outcome->called; }, waitMs);
        return *outcome;
    }

    void signInAsVisitor()
    {
        bool done = false;
        std::optional<QString> failure;
        OONetWorkTool::login([&](std::optional<QString> error) { done = true; failure = error; });
        ASSERT_TRUE(QTest::qWaitFor([&] { return done; }, 5000));
        ASSERT_FALSE(failure.has_value()) << failure->toStdString();
    }
};

} // namespace

TEST_F(PipelineTest, VisitorSignInStoresTheUserAndLaterRequestsCarryTheToken)
{
    // The stand-in serves the whole suite: only this test's requests count.
    const qsizetype earlier = s_standin->records().value(QStringLiteral("requests")).toArray().size();
    EXPECT_TRUE(MKUserInfoManager::shared().clearUser());
    signInAsVisitor();
    const std::optional<HHUserInfo> user = MKUserTable().queryUser();
    ASSERT_TRUE(user && user->user && user->user->apiToken);
    EXPECT_FALSE(user->user->apiToken->isEmpty());

    bool done = false;
    std::optional<QString> lines;
    OONetWorkTool::nodeList([&](std::optional<QString> text, std::optional<NetError>) { done = true; lines = text; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return done; }, 5000));
    ASSERT_TRUE(lines.has_value());
    EXPECT_TRUE(QJsonDocument::fromJson(lines->toUtf8()).object().value(QStringLiteral("page_datas")).isArray());

    const QJsonArray requests = s_standin->records().value(QStringLiteral("requests")).toArray();
    ASSERT_GT(requests.size(), earlier);
    bool sawAuthorizedNodeList = false;
    for (qsizetype i = earlier; i < requests.size(); ++i) {
        const QJsonObject request = requests.at(i).toObject();
        if (request.value(QStringLiteral("path")).toString() == kNodeList) {
            sawAuthorizedNodeList = request.value(QStringLiteral("authorized")).toBool();
            // The identity record is merged under the caller's parameter, which survives.
            EXPECT_EQ(request.value(QStringLiteral("params")).toObject().value(QStringLiteral("kind")).toInt(), 1);
            EXPECT_EQ(request.value(QStringLiteral("params")).toObject().value(QStringLiteral("app_name")).toString(), QStringLiteral("tamsine"));
        }
    }
    EXPECT_TRUE(sawAuthorizedNodeList);
}

TEST_F(PipelineTest, VisitorSignInWhoseUserIsNotStoredFails)
{
    EXPECT_TRUE(MKUserInfoManager::shared().clearUser());
    RefusedUserWrites refused;
    bool done = false;
    std::optional<QString> failure;
    OONetWorkTool::login([&](std::optional<QString> error) { done = true; failure = error; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return done; }, 5000));
    ASSERT_TRUE(failure.has_value()) << "the sign-in reported success without a stored user";
    EXPECT_FALSE(failure->isEmpty());
    EXPECT_FALSE(MKUserTable().queryUser().has_value());
}

TEST_F(PipelineTest, CompletionRunsOnTheGuiThreadWhenStartedFromAnotherThread)
{
    auto outcome = std::make_shared<Outcome>();
    const QString url = OONetWorkTool::apiUrl(kNodeList);
    std::thread worker([outcome, url] {
        OONetWork::shared().requestData(QStringLiteral("GET"), url, true, QJsonObject{{QStringLiteral("kind"), 1}}, std::nullopt,
                                        [outcome](std::optional<QJsonObject> r, std::optional<NetError> e) {
            outcome->called = true;
            outcome->response = r;
            outcome->error = e;
            outcome->onGuiThread = QThread::currentThread() == QCoreApplication::instance()->thread();
        });
    });
    worker.join();
    ASSERT_TRUE(QTest::qWaitFor([outcome] { return outcome->called; }, 5000));
    EXPECT_TRUE(outcome->onGuiThread);
    EXPECT_TRUE(outcome->response.has_value());
}

TEST_F(PipelineTest, FingerprintMissingDeliversAndStartsAPollingRound)
{
    QSignalSpy rounds(&OOHostSafeAdpter::shared(), &OOHostSafeAdpter::roundFinished);
    s_standin->fault(kNodeList, QStringLiteral("no_etag"), 1);
    const Outcome outcome = request(QStringLiteral("GET"), kNodeList);
    ASSERT_TRUE(outcome.called);
    EXPECT_TRUE(outcome.response.has_value());
    ASSERT_TRUE(rounds.wait(5000) || rounds.count() > 0);
    EXPECT_EQ(rounds.first().first().toString(), s_standin->baseUrl());
}

TEST_F(PipelineTest, FingerprintWrongDropsTheBodyButStillCompletesWithAFailure)
{
    QSignalSpy rounds(&OOHostSafeAdpter::shared(), &OOHostSafeAdpter::roundFinished);
    s_standin->fault(kNodeList, QStringLiteral("wrong_etag"), 1);
    const Outcome outcome = request(QStringLiteral("GET"), kNodeList);
    ASSERT_TRUE(outcome.called);
    EXPECT_FALSE(outcome.response.has_value());
    ASSERT_TRUE(outcome.error.has_value());
    EXPECT_EQ(outcome.error->code, NetError::ForeignServer);
    EXPECT_FALSE(outcome.error->message.isEmpty());
    EXPECT_TRUE(rounds.count() > 0 || rounds.wait(5000));
}

TEST_F(PipelineTest, PlainRepliesWhenDecryptionIsNotAsked)
{
    auto outcome = std::make_shared<Outcome>();
    OONetWork::shared().requestData(QStringLiteral("GET"), OONetWorkTool::apiUrl(kNodeList), false, QJsonObject{{QStringLiteral("kind"), 1}},
                                    std::nullopt, [outcome](std::optional<QJsonObject> r, std::optional<NetError> e) {
        outcome->called = true;
        outcome->response = r;
        outcome->error = e;
    });
    ASSERT_TRUE(QTest::qWaitFor([outcome] { return outcome->called; }, 5000));
    ASSERT_TRUE(outcome->response.has_value());
    EXPECT_TRUE(outcome->response->value(QStringLiteral("data")).toObject().value(QStringLiteral("page_datas")).isArray());
}

TEST_F(PipelineTest, UndecryptableBodyGivesDecryptionFailure)
{
    s_standin->fault(kNodeList, QStringLiteral("bad_body"), 1);
    const Outcome outcome = request(QStringLiteral("GET"), kNodeList);
    ASSERT_TRUE(outcome.called);
    ASSERT_TRUE(outcome.error.has_value());
    EXPECT_EQ(outcome.error->code, -10086);
    EXPECT_EQ(outcome.error->message, QStringLiteral("Decryption failure"));
}

TEST_F(PipelineTest, AccountExceptionAndDeviceLimitReachTheUiAndTheCompletion)
{
    s_standin->fault(kNodeList, QStringLiteral("error101"), 2);
    Outcome outcome = request(QStringLiteral("GET"), kNodeList);
    ASSERT_TRUE(outcome.response.has_value());
    EXPECT_EQ(outcome.response->value(QStringLiteral("error_code")).toInt(), 101);
    outcome = request(QStringLiteral("GET"), kNodeList);
    // A second 101 while the alert is up does not stack another alert.
    ASSERT_EQ(hooks->exceptions.size(), 1);
    EXPECT_EQ(hooks->exceptions.first(), NetworkUiHooks::AccountExceptionKind::AccountException);

    bool stopped = false;
    NetworkUiHooks::setStopLocalHandler([&](std::function<void()> done) { stopped = true; done(); });
    OONetWork::shared().accountExceptionGotIt();
    EXPECT_TRUE(stopped);
    EXPECT_EQ(hooks->acknowledged, 1);
    NetworkUiHooks::setStopLocalHandler({});

    s_standin->fault(kNodeList, QStringLiteral("C238"), 1);
    outcome = request(QStringLiteral("GET"), kNodeList);
    ASSERT_TRUE(outcome.response.has_value());
    ASSERT_EQ(hooks->exceptions.size(), 2);
    EXPECT_EQ(hooks->exceptions.last(), NetworkUiHooks::AccountExceptionKind::DeviceLimit);
}

TEST_F(PipelineTest, TransportFailuresShowTheHintAndComplete)
{
    s_standin->fault(kNodeList, QStringLiteral("http500"), 1);
    Outcome outcome = request(QStringLiteral("GET"), kNodeList);
    ASSERT_TRUE(outcome.error.has_value());
    EXPECT_EQ(outcome.error->code, 500);
    EXPECT_EQ(hooks->hints.size(), 1);

    s_standin->fault(kNodeList, QStringLiteral("close"), 1);
    outcome = request(QStringLiteral("GET"), kNodeList);
    EXPECT_TRUE(outcome.called && outcome.error.has_value());

    // An API request follows no redirect: the signed headers stay with the API host.
    auto redirected = std::make_shared<Outcome>();
    // (POST: the envelope goes in the body and leaves the redirect's own query alone.)
    OONetWork::shared().requestData(QStringLiteral("POST"),
                                    s_standin->baseUrl() + QStringLiteral("/static/redirect?to=") + QString::fromLatin1(QUrl::toPercentEncoding(OONetWorkTool::apiUrl(kNodeList))),
                                    true, std::nullopt, std::nullopt, [redirected](std::optional<QJsonObject> r, std::optional<NetError> e) {
        redirected->called = true;
        redirected->response = r;
        redirected->error = e;
    });
    ASSERT_TRUE(QTest::qWaitFor([redirected] { return redirected->called; }, 5000));
    ASSERT_TRUE(redirected->error.has_value());
    EXPECT_EQ(redirected->error->code, 302);
    EXPECT_EQ(hooks->hints.size(), 3);

    OONetWork::shared().setTimeoutsForTesting(300, 300);
    s_standin->fault(kNodeList, QStringLiteral("delay"), 1, 1500);
    outcome = request(QStringLiteral("GET"), kNodeList);
    EXPECT_TRUE(outcome.called && outcome.error.has_value());
    EXPECT_EQ(hooks->hints.size(), 4);
}

TEST_F(PipelineTest, RefusesPlainHttpToAnyHostButLoopback)
{
    auto outcome = std::make_shared<Outcome>();
    OONetWork::shared().requestData(QStringLiteral("GET"), QStringLiteral("http://example.com/x"), true, std::nullopt, std::nullopt,
                                    [outcome](std::optional<QJsonObject>, std::optional<NetError> e) { outcome->called = true; outcome->error = e; });
    ASSERT_TRUE(QTest::qWaitFor([outcome] { return outcome->called; }, 2000));
    EXPECT_EQ(outcome->error->code, NetError::InsecureUrl);
}

TEST_F(PipelineTest, RequestLogIsFilledThenUploadedAndDeleted)
{
    s_standin->control(QJsonObject{{QStringLiteral("clear_records"), true}});
    // Rows left by earlier tests (other paths, other hosts) are not this test's business.
    ASSERT_TRUE(QTest::qWaitFor([] { return !OORequestLogReporter::shared().isUploading(); }, 10000));
    QList<qint64> earlier;
    for (const RequestLogTable::Record &row : RequestLogTable().fetchOldest(100000))
        earlier << row.id;
    ASSERT_TRUE(RequestLogTable().deleteIds(earlier));
    request(QStringLiteral("GET"), ApiPaths::kUnreadMessages);
    request(QStringLiteral("GET"), ApiPaths::kSystemSetting);
    EXPECT_GE(RequestLogTable().count(), 2);

    QSignalSpy uploads(&OORequestLogReporter::shared(), &OORequestLogReporter::uploadFinished);
    OORequestLogReporter::shared().uploadPending();
    ASSERT_TRUE(uploads.wait(5000));
    EXPECT_TRUE(uploads.first().first().toBool());
    // Only the upload's own row is left, to go with the next upload.
    EXPECT_LE(RequestLogTable().count(), 1);
    const QJsonArray uploaded = s_standin->records().value(QStringLiteral("request_logs")).toArray();
    ASSERT_GE(uploaded.size(), 2);
    // Rows name the plain API path, never the encrypted form or the query.
    bool sawUnread = false;
    for (const QJsonValue &value : uploaded) {
        const QJsonObject row = value.toObject();
        EXPECT_TRUE(row.value(QStringLiteral("path")).toString().startsWith(QStringLiteral("/api/")));
        if (row.value(QStringLiteral("path")).toString() == ApiPaths::kUnreadMessages) {
            sawUnread = true;
            EXPECT_EQ(row.value(QStringLiteral("status")).toInt(), 200);
            EXPECT_EQ(row.value(QStringLiteral("method")).toString(), QStringLiteral("GET"));
        }
    }
    EXPECT_TRUE(sawUnread);
}

TEST_F(PipelineTest, RequestLogUploadRecoversFromADroppedReply)
{
    request(QStringLiteral("GET"), ApiPaths::kUnreadMessages);
    s_standin->fault(ApiPaths::kRequestLog, QStringLiteral("wrong_etag"), 1);
    QSignalSpy uploads(&OORequestLogReporter::shared(), &OORequestLogReporter::uploadFinished);
    OORequestLogReporter::shared().uploadPending();
    ASSERT_TRUE(uploads.wait(3000));
    EXPECT_FALSE(uploads.first().first().toBool());   // failed, rows kept
    const int kept = RequestLogTable().count();
    EXPECT_GE(kept, 1);

    // The next trigger uploads again instead of waiting for the lost reply.
    OORequestLogReporter::shared().uploadPending();
    ASSERT_TRUE(uploads.wait(3000));
    EXPECT_TRUE(uploads.last().first().toBool());
}

TEST_F(PipelineTest, FeedbackUploadsAlwaysComplete)
{
    bool done = false;
    std::optional<QJsonObject> reply;
    std::optional<QString> message;
    OONetWorkTool::createFeedback(QStringLiteral("2"), QList<QByteArray>{QByteArray("\xff\xd8jpeg")}, QStringList{QStringLiteral("a\"\r\nContent-Disposition: form-data; name=\"kind\"\r\n\r\n9.jpg")},
                                  QStringLiteral("it broke"), std::nullopt,
                                  [&](std::optional<QJsonObject> r, std::optional<QString> m) { done = true; reply = r; message = m; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return done; }, 5000));
    ASSERT_TRUE(reply.has_value());
    EXPECT_TRUE(reply->value(QStringLiteral("success")).toBool());
    const QJsonObject upload = s_standin->records().value(QStringLiteral("uploads")).toArray().last().toObject();
    // A hostile picture name stays inside its own part.
    EXPECT_EQ(upload.value(QStringLiteral("files")).toInt(), 1);
    EXPECT_EQ(upload.value(QStringLiteral("fields")).toObject().value(QStringLiteral("kind")).toString(), QStringLiteral("2"));
    EXPECT_EQ(upload.value(QStringLiteral("file_secret")).toString(), QStringLiteral("v2"));
    EXPECT_EQ(upload.value(QStringLiteral("fields")).toObject().value(QStringLiteral("contact_info")).toString(), QString());
    EXPECT_EQ(upload.value(QStringLiteral("fields")).toObject().value(QStringLiteral("project_name")).toString(), QStringLiteral("tamsine"));

    s_standin->fault(ApiPaths::kFeedbackResend, QStringLiteral("bad_body"), 1);
    done = false;
    OONetWorkTool::resendFeedback({}, {}, QStringLiteral("more"), 1,
                                  [&](std::optional<QJsonObject> r, std::optional<QString> m) { done = true; reply = r; message = m; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return done; }, 5000));
    EXPECT_FALSE(reply.has_value());
    EXPECT_EQ(message, QStringLiteral("Decryption failure"));
}

TEST_F(PipelineTest, ADownloadGrowingPastItsLimitStopsAndProgressComesAFewTimesASecond)
{
    const QString target = OONetWork::downloadDestination();
    QFile::remove(target);
    std::optional<NetError> error;
    bool ended = false;
    int progressEvents = 0;
    qint64 lastReceived = 0;
    auto handler = [&](std::optional<DownloadProgress> progress, bool finished, std::optional<NetError> e) {
        if (progress) {
            ++progressEvents;
            lastReceived = progress->received;
        }
        if (finished || e) {
            ended = true;
            error = e;
        }
    };

    // Many small pieces in quick succession: a handful of reports, the last one the whole file.
    QElapsedTimer clock;
    clock.start();
    OONetWork::shared().download(s_standin->baseUrl() + QStringLiteral("/static/installer.dmg?size=4194304&chunk_delay_ms=1"), handler);
    ASSERT_TRUE(QTest::qWaitFor([&] { return ended; }, 30000));
    ASSERT_FALSE(error.has_value());
    EXPECT_EQ(QFileInfo(target).size(), 4194304);
    EXPECT_EQ(lastReceived, 4194304);
    EXPECT_LE(progressEvents, clock.elapsed() / 250 + 2) << "over " << clock.elapsed() << " ms";

    // Without an announced length the transfer stops at the limit, and no file is left of it.
    OONetWork::setInstallerLimitForTesting(16384);
    QFile::remove(target);
    ended = false;
    OONetWork::shared().download(s_standin->baseUrl() + QStringLiteral("/static/installer.dmg?size=65536&chunked=1&chunk_delay_ms=0"), handler);
    ASSERT_TRUE(QTest::qWaitFor([&] { return ended; }, 10000));
    ASSERT_TRUE(error.has_value());
    EXPECT_FALSE(QFile::exists(target));
    EXPECT_TRUE(QDir(QFileInfo(target).absolutePath()).entryList(QDir::Files).isEmpty());

    // An announced length beyond the limit is refused as soon as it is known.
    ended = false;
    OONetWork::shared().download(s_standin->baseUrl() + QStringLiteral("/static/installer.dmg?size=65536&chunk_delay_ms=50"), handler);
    ASSERT_TRUE(QTest::qWaitFor([&] { return ended; }, 10000));
    ASSERT_TRUE(error.has_value());
    EXPECT_FALSE(QFile::exists(target));
    OONetWork::setInstallerLimitForTesting(0);

    // Within the limit, a transfer without a length lands whole.
    ended = false;
    OONetWork::shared().download(s_standin->baseUrl() + QStringLiteral("/static/installer.dmg?size=65536&chunked=1&chunk_delay_ms=0"), handler);
    ASSERT_TRUE(QTest::qWaitFor([&] { return ended; }, 10000));
    EXPECT_FALSE(error.has_value());
    EXPECT_EQ(QFileInfo(target).size(), 65536);
}

TEST_F(PipelineTest, DownloadLandsOnlyWhenComplete)
{
    const QString target = OONetWork::downloadDestination();
    QFile::remove(target);
    int progressEvents = 0;
    int finishedCalls = 0;
    std::optional<NetError> error;
    bool ended = false;
    auto handler = [&](std::optional<DownloadProgress> progress, bool finished, std::optional<NetError> e) {
        if (progress)
            ++progressEvents;
        if (finished)
            ++finishedCalls;
        if (finished || e) {
            ended = true;
            error = e;
        }
    };
    OONetWork::shared().download(s_standin->baseUrl() + QStringLiteral("/static/installer.dmg?size=65536&chunk_delay_ms=5"), handler);
    ASSERT_TRUE(QTest::qWaitFor([&] { return ended; }, 10000));
    EXPECT_FALSE(error.has_value());
    EXPECT_EQ(finishedCalls, 1);
    EXPECT_GT(progressEvents, 0);
    EXPECT_EQ(QFileInfo(target).size(), 65536);

    // A transfer that breaks off leaves the earlier installer as it was.
    ended = false;
    finishedCalls = 0;
    OONetWork::shared().download(s_standin->baseUrl() + QStringLiteral("/static/installer.dmg?size=65536&break_at=16384"), handler);
    ASSERT_TRUE(QTest::qWaitFor([&] { return ended; }, 10000));
    EXPECT_TRUE(error.has_value());
    EXPECT_EQ(finishedCalls, 0);
    EXPECT_EQ(QFileInfo(target).size(), 65536);
    EXPECT_EQ(QDir(QFileInfo(target).absolutePath()).entryList(QDir::Files).size(), 1);

    // An error page is never taken for the installer.
    s_standin->fault(QStringLiteral("/static/installer.dmg"), QStringLiteral("http500"), 1);
    ended = false;
    OONetWork::shared().download(s_standin->baseUrl() + QStringLiteral("/static/installer.dmg?size=1024"), handler);
    ASSERT_TRUE(QTest::qWaitFor([&] { return ended; }, 10000));
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->code, 500);
    EXPECT_EQ(finishedCalls, 0);
    EXPECT_EQ(QFileInfo(target).size(), 65536);

    // A mirror redirect is followed; one to an address the client must not use is refused.
    const QString installer = s_standin->baseUrl() + QStringLiteral("/static/installer.dmg?size=2048&chunk_delay_ms=0");
    ended = false;
    OONetWork::shared().download(s_standin->baseUrl() + QStringLiteral("/static/redirect?to=")
                                     + QString::fromLatin1(QUrl::toPercentEncoding(installer)), handler);
    ASSERT_TRUE(QTest::qWaitFor([&] { return ended; }, 10000));
    EXPECT_FALSE(error.has_value());
    EXPECT_EQ(QFileInfo(target).size(), 2048);

    ended = false;
    finishedCalls = 0;
    OONetWork::shared().download(s_standin->baseUrl() + QStringLiteral("/static/redirect?to=http%3A%2F%2Fexample.com%2Fx.dmg"), handler);
    ASSERT_TRUE(QTest::qWaitFor([&] { return ended; }, 10000));
    EXPECT_TRUE(error.has_value());
    EXPECT_EQ(finishedCalls, 0);
    EXPECT_EQ(QFileInfo(target).size(), 2048);
}

TEST_F(PipelineTest, RawRequestsGiveTheBytesOrAnErrorAndAreLogged)
{
    const int rowsBefore = RequestLogTable().count();
    std::optional<QByteArray> bytes;
    std::optional<NetError> error;
    bool done = false;
    auto completion = [&](std::optional<QByteArray> b, std::optional<NetError> e) { done = true; bytes = b; error = e; };
    OONetWork::shared().requestConfigRawData(QStringLiteral("GET"), s_standin->baseUrl() + QStringLiteral("/static/images/a.png"), completion);
    ASSERT_TRUE(QTest::qWaitFor([&] { return done; }, 5000));
    ASSERT_TRUE(bytes.has_value());
    EXPECT_TRUE(bytes->startsWith("\x89PNG"));

    done = false;
    OONetWork::shared().requestConfigRawData(QStringLiteral("GET"), s_standin->baseUrl() + QStringLiteral("/static/missing"), completion);
    ASSERT_TRUE(QTest::qWaitFor([&] { return done; }, 5000));
    EXPECT_FALSE(bytes.has_value());
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->code, 404);
    EXPECT_EQ(RequestLogTable().count(), rowsBefore + 2);
    // Plain transfers carry no fingerprint: nothing here may start a fail-over round.
    EXPECT_FALSE(OOHostSafeAdpter::shared().isPolling());
}

TEST_F(PipelineTest, AnalyticsEventsReachTheServiceWithIdentity)
{
    s_standin->control(QJsonObject{{QStringLiteral("clear_records"), true}});
    QSignalSpy uploaded(&XSAnalyticsManager::shared(), &XSAnalyticsManager::uploaded);
    // Listeners without a context of their own are called where the signal is emitted: that must
    // be the GUI thread, whatever thread did the upload.
    QList<QThread *> emittedOn;
    const QMetaObject::Connection direct = QObject::connect(&XSAnalyticsManager::shared(), &XSAnalyticsManager::uploaded,
                                                            [&emittedOn] { emittedOn << QThread::currentThread(); });
    XSAnalyticsManager::shared().track(QStringLiteral("homePage_show"));
    ASSERT_TRUE(uploaded.wait(5000));
    QObject::disconnect(direct);
    EXPECT_EQ(emittedOn, QList<QThread *>{qApp->thread()});
    EXPECT_TRUE(uploaded.first().at(1).toBool());
    const QJsonArray events = s_standin->records().value(QStringLiteral("analytics")).toArray();
    ASSERT_EQ(events.size(), 1);
    const QJsonObject event = events.first().toObject();
    EXPECT_EQ(event.value(QStringLiteral("event")).toString(), QStringLiteral("homePage_show"));
    EXPECT_TRUE(event.contains(QStringLiteral("device_uuid")));
    EXPECT_TRUE(event.value(QStringLiteral("event_time")).isDouble());
}

// An event is what the program was when it was tracked: sealed on the GUI thread at once, not
// when the worker gets to it. The worker is held up while the user changes, as it may be behind
// slow uploads.
TEST_F(PipelineTest, AnEventCarriesTheUserOfTheMomentItWasTracked)
{
    s_standin->control(QJsonObject{{QStringLiteral("clear_records"), true}});
    ASSERT_TRUE(MKUserInfoManager::shared().saveUser(QJsonDocument::fromJson(
        R"({"user": {"id": 41, "api_token": "first-token", "username": "first"}})").object()));
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    XSAnalyticsManager::shared().runOnWorkerForTesting([released] { released.wait_for(std::chrono::minutes(1)); });
    QSignalSpy uploaded(&XSAnalyticsManager::shared(), &XSAnalyticsManager::uploaded);
    XSAnalyticsManager::shared().track(QStringLiteral("homePage_show"));
    ASSERT_TRUE(MKUserInfoManager::shared().saveUser(QJsonDocument::fromJson(
        R"({"user": {"id": 42, "api_token": "second-token", "username": "second"}})").object()));
    release.set_value();

    ASSERT_TRUE(uploaded.wait(30000));
    const QJsonArray events = s_standin->records().value(QStringLiteral("analytics")).toArray();
    ASSERT_EQ(events.size(), 1);
    EXPECT_EQ(events.first().toObject().value(QStringLiteral("user_id")).toInteger(), 41);
    EXPECT_EQ(events.first().toObject().value(QStringLiteral("username")).toString().toStdString(), "first");
}

TEST_F(PipelineTest, EveryReplyReadOrNotStopsAtTheSizeLimit)
{
    const qint64 peakBefore = peakResidentBytes();
    const QJsonObject before = s_standin->records().value(QStringLiteral("streams")).toObject();
    const qint64 sentBefore = before.value(QStringLiteral("bytes")).toInteger();
    const int stoppedBefore = before.value(QStringLiteral("stopped")).toInt();
    // The analytics answer is never read: an endless one still ends (its status says the event
    // was delivered; its body is not taken in).
    s_standin->fault(ApiPaths::kActionTrack, QStringLiteral("endless"), 1);
    QSignalSpy uploaded(&XSAnalyticsManager::shared(), &XSAnalyticsManager::uploaded);
    XSAnalyticsManager::shared().track(QStringLiteral("homePage_show"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !uploaded.isEmpty(); }, 30000));
    // A read API reply: the usual failure, and no hint (the network is fine).
    s_standin->fault(kNodeList, QStringLiteral("endless"), 1);
    const Outcome outcome = request(QStringLiteral("GET"), kNodeList, std::nullopt, 30000);
    ASSERT_TRUE(outcome.called && outcome.error.has_value());
    EXPECT_EQ(outcome.error->message, QStringLiteral("Response too large"));

    // Both streams were hung up by the client, and the process grew by a bounded amount: what
    // the read reply may hold, and what Qt's network thread takes in before the hang-up.
    QJsonObject after;
    ASSERT_TRUE(QTest::qWaitFor([&] {
        after = s_standin->records().value(QStringLiteral("streams")).toObject();
        return after.value(QStringLiteral("stopped")).toInt() >= stoppedBefore + 2;
    }, 10000));
    const qint64 sent = after.value(QStringLiteral("bytes")).toInteger() - sentBefore;
    EXPECT_GT(sent, OONetWork::MaxResponseBytes);
    EXPECT_LT(peakResidentBytes() - peakBefore, 10 * OONetWork::MaxResponseBytes);
}

// A request with a body gets under way from the event loop, after its guard was put on: the read
// bound holds from its first byte all the same. While the reader is held up, Qt's network thread
// takes in no more than the bound and the server waits, however fast it sends.
TEST_F(PipelineTest, WhileItsReaderIsHeldUpAPostTakesInNoMoreThanTheReadBound)
{
    s_standin->fault(ApiPaths::kActionTrack, QStringLiteral("endless"), 1);
    QNetworkAccessManager manager;
    const QNetworkRequest request(QUrl(OONetWorkTool::apiUrl(ApiPaths::kActionTrack)));
    std::unique_ptr<QNetworkReply> reply(manager.post(request, QByteArrayLiteral("{}")));
    ReplyGuard::hold(reply.get(), OONetWork::MaxResponseBytes, 0);
    QSignalSpy answered(reply.get(), &QNetworkReply::metaDataChanged);
    ASSERT_TRUE(answered.wait(10000));
    ReplyGuard::takeBody(reply.get());

    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    QCoreApplication::sendPostedEvents(reply.get(), QEvent::MetaCall);
    EXPECT_FALSE(ReplyGuard::tooLarge(reply.get()));
    EXPECT_LE(ReplyGuard::takeBody(reply.get()).size(), 4 * 1024 * 1024);
    reply->abort();
}

TEST_F(PipelineTest, ATricklingReplyEndsAtItsWholeDeadlineAsATimeOutDoes)
{
    struct ConnectOutcome
    {
        bool called = false;
        std::optional<QJsonObject> response;
        std::optional<QString> message;
        std::optional<QString> code;
    };
    auto connect = [] {
        auto outcome = std::make_shared<ConnectOutcome>();
        OONetWorkTool::connect2(101, [outcome](std::optional<QJsonObject> r, std::optional<QString> m, std::optional<QString> c) {
            *outcome = ConnectOutcome{true, r, m, c};
        });
        (void)QTest::qWaitFor([outcome] { return outcome->called; }, 20000);
        return *outcome;
    };
    // A silent reply: the time-out every request has always had.
    OONetWork::shared().setTimeoutsForTesting(300, 300);
    s_standin->fault(ApiPaths::kConnect2, QStringLiteral("delay"), 1, 1500);
    const Outcome silent = request(QStringLiteral("POST"), ApiPaths::kConnect2);
    ASSERT_TRUE(silent.called && silent.error.has_value());
    s_standin->fault(ApiPaths::kConnect2, QStringLiteral("delay"), 1, 1500);
    const ConnectOutcome silentConnect = connect();
    ASSERT_TRUE(silentConnect.called);
    const qsizetype hintsAfterSilence = hooks->hints.size();

    // A byte every 50 ms is never silent for 300 ms; the whole deadline ends it all the same.
    OONetWork::shared().setDeadlinesForTesting(1000, 1000);
    const auto stopped = [] {
        return s_standin->records().value(QStringLiteral("streams")).toObject().value(QStringLiteral("stopped")).toInt();
    };
    const int stoppedBefore = stopped();
    s_standin->fault(ApiPaths::kConnect2, QStringLiteral("trickle"), 2, 50);
    const Outcome trickled = request(QStringLiteral("POST"), ApiPaths::kConnect2, std::nullopt, 20000);
    ASSERT_TRUE(trickled.called && trickled.error.has_value());
    EXPECT_EQ(trickled.error->code, silent.error->code);
    EXPECT_EQ(trickled.error->message, silent.error->message);
    const ConnectOutcome trickledConnect = connect();
    ASSERT_TRUE(trickledConnect.called);
    EXPECT_FALSE(trickledConnect.response.has_value());
    EXPECT_EQ(trickledConnect.message, silentConnect.message);
    EXPECT_EQ(trickledConnect.code, silentConnect.code);
    EXPECT_EQ(hooks->hints.size(), 2 * hintsAfterSilence);
    // The client hung up both times; the stand-in did not end the bodies itself.
    EXPECT_TRUE(QTest::qWaitFor([&] { return stopped() == stoppedBefore + 2; }, 10000));
}

TEST_F(PipelineTest, OlderEntryMapsItsTwoEndpoints)
{
    bool done = false;
    std::optional<QJsonObject> reply;
    std::optional<NetError> error;
    HLLNetAPI::shared().task(9, QStringLiteral("POST"), std::nullopt, std::nullopt, false, false, std::nullopt,
                             [&](std::optional<QJsonObject> r, std::optional<NetError> e) { done = true; reply = r; error = e; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return done; }, 5000));
    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ(reply->value(QStringLiteral("data")).toObject().value(QStringLiteral("is_domestic")).toInt(), 1);

    done = false;
    HLLNetAPI::shared().task(4, QStringLiteral("POST"), std::nullopt, std::nullopt, false, false, std::nullopt,
                             [&](std::optional<QJsonObject> r, std::optional<NetError> e) { done = true; reply = r; error = e; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return done; }, 2000));
    EXPECT_EQ(error->code, NetError::UnknownEndpoint);
}

TEST_F(PipelineTest, SecretsStayOutOfTheLogUnlessDebuggingIsOn)
{
    EXPECT_TRUE(MKUserInfoManager::shared().clearUser());
    MessageCapture capture;
    const Outcome signIn = request(QStringLiteral("POST"), ApiPaths::kAccountLogin,
                                   QJsonObject{{QStringLiteral("signType"), QStringLiteral("4")},
                                               {QStringLiteral("emailAddress"), QStringLiteral("demo@example.com")},
                                               {QStringLiteral("password"), QStringLiteral("abc12345")}});
    ASSERT_TRUE(signIn.response.has_value());
    ASSERT_TRUE(OONetWorkTool::storeSignedInUser(*signIn.response));
    const std::optional<HHUserInfo> user = MKUserTable().queryUser();
    ASSERT_TRUE(user && user->user && user->user->apiToken);
    const QString token = *user->user->apiToken;
    request(QStringLiteral("POST"), ApiPaths::kAccountInfo);
    s_standin->fault(kNodeList, QStringLiteral("bad_body"), 1);
    request(QStringLiteral("GET"), kNodeList);

    EXPECT_FALSE(capture.contains(QStringLiteral("abc12345")));
    EXPECT_FALSE(capture.contains(token));
    EXPECT_FALSE(capture.contains(QStringLiteral("encrypt_data")));
}
