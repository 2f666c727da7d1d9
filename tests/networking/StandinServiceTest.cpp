// The stand-in service itself: scenario files, loopback-only listening, refusing what a real
// service would refuse.
#include <QFile>
#include <QJsonArray>
#include <QProcess>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "support/NetworkTestSupport.h"
#include "networking/OONetWork.h"
#include "networking/OONetWorkTool.h"
#include "common/ApiPaths.h"
#include "common/AppPaths.h"
#include "common/ProtocolConfig.h"
#include "networking/ServiceDocumentLinks.h"
#include "support/WantedSkip.h"

namespace {

// Every request of the client answers, at the latest when its own deadline fails it: a test waits
// for that answer, and this bound, past the deadline, only ends a test that would hang.
constexpr int kAnswerBoundMs = 2 * OONetWork::RequestDeadlineMs;

QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &content)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(content);
    return path;
}

struct StandinRun
{
    int exitCode = -1;
    QString out;
    QString err;
};

// Runs the stand-in with these arguments alone and waits for it to end by itself.
StandinRun runStandin(const QStringList &arguments)
{
    QProcess process;
    process.start(StandinProcess::executablePath(), arguments);
    StandinRun run;
    if (!process.waitForFinished(10000)) {
        process.kill();
        process.waitForFinished(3000);
        run.err = QStringLiteral("did not end by itself");
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err += QString::fromUtf8(process.readAllStandardError());
    return run;
}

} // namespace

TEST(StandinCommandLine, HelpShowsEveryOption)
{
    const StandinRun run = runStandin({QStringLiteral("--help")});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    for (const char *option : {"--port", "--scenario", "--resources", "--ss-port", "--ss-password", "--ss-method"})
        EXPECT_TRUE(run.out.contains(QLatin1String(option))) << option;
    EXPECT_TRUE(run.out.startsWith(QStringLiteral("Usage: "))) << "help, not a start";
}

TEST(StandinCommandLine, BadOptionsAreRefusedWithAMessage)
{
    const QList<QStringList> cases = {
        {QStringLiteral("--bogus")},
        {QStringLiteral("--port"), QStringLiteral("abc")},
        {QStringLiteral("--port"), QStringLiteral("80x")},
        {QStringLiteral("--port"), QStringLiteral("70000")},
        {QStringLiteral("--port"), QStringLiteral("-1")},
        {QStringLiteral("--port")},
        {QStringLiteral("--ss-port"), QStringLiteral("0")},
        {QStringLiteral("stray")},
    };
    for (const QStringList &arguments : cases) {
        const StandinRun run = runStandin(arguments);
        const std::string label = arguments.join(QLatin1Char(' ')).toStdString();
        EXPECT_EQ(run.exitCode, 2) << label << ": " << run.err.toStdString();
        EXPECT_TRUE(run.err.startsWith(QStringLiteral("ostrel-standin: "))) << label << ": " << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(QStringLiteral("--help"))) << label;
        EXPECT_TRUE(run.out.isEmpty()) << label << ": " << run.out.toStdString();
    }
}

TEST(StandinCommandLine, BusyPortIsRefusedAndTheFirstKeepsServing)
{
    StandinProcess first;
    ASSERT_TRUE(first.start()) << first.errorText().toStdString();
    const StandinRun second = runStandin({QStringLiteral("--port"), QString::number(first.port())});
    EXPECT_EQ(second.exitCode, 1);
    EXPECT_TRUE(second.err.contains(QStringLiteral("cannot listen on 127.0.0.1:%1").arg(first.port())))
        << second.err.toStdString();
    EXPECT_TRUE(second.out.isEmpty()) << second.out.toStdString();

    int status = 0;
    TestHttp::get(first.baseUrl() + probePath(), &status);
    EXPECT_EQ(status, 200);
}

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
        EXPECT_TRUE(QTest::qWaitFor([&] { return done; }, kAnswerBoundMs));
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

// The documented way to drive the demo's stand-in, run as written with a body the size of a
// real page file.
TEST(StandinService, DocumentedControlCommandTakesALargePage)
{
    const QString curl = QStandardPaths::findExecutable(QStringLiteral("curl"));
    if (curl.isEmpty())
        GTEST_SKIP() << WantedSkip::tool("curl is not installed");
    QFile doc(AppPaths::resourceFolder() + QStringLiteral("/../docs/web.md"));
    ASSERT_TRUE(doc.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(doc.readAll());
    const qsizetype start = text.indexOf(QStringLiteral("curl -s -X POST http://127.0.0.1:18480/__control"));
    ASSERT_GE(start, 0);
    const qsizetype data = text.indexOf(QStringLiteral(" -d '"), start);
    ASSERT_GT(data, start);
    // The options before the body, one shell word each ("-H 'Content-Type: ...'" keeps its quotes).
    QStringList options;
    static const QRegularExpression word(QStringLiteral(R"('([^']*)'|(\S+))"));
    for (auto it = word.globalMatch(text.mid(start, data - start).remove(QStringLiteral("\\\n"))); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        options << (match.captured(1).isNull() ? match.captured(2) : match.captured(1));
    }
    ASSERT_EQ(options.takeFirst(), QStringLiteral("curl"));

    StandinProcess standin;
    ASSERT_TRUE(standin.start()) << standin.errorText().toStdString();
    options.replaceInStrings(QStringLiteral("http://127.0.0.1:18480"), standin.baseUrl());
    const QString page = QStringLiteral("<p>%1</p>").arg(QString(12 * 1024, QLatin1Char('x')));
    const QJsonObject body{{QStringLiteral("page_files"),
                            QJsonObject{{QStringLiteral("buypage"), QJsonObject{{QStringLiteral("index.html"), page}}}}},
                           {QStringLiteral("resource_versions"), QJsonObject{{QStringLiteral("h5Version"), QStringLiteral("3")}}}};
    QProcess process;
    process.start(curl, options + QStringList{QStringLiteral("-d"), QString::fromUtf8(QJsonDocument(body).toJson())});
    ASSERT_TRUE(process.waitForFinished(20000));
    EXPECT_EQ(QJsonDocument::fromJson(process.readAllStandardOutput()).object().value(QStringLiteral("ok")), QJsonValue(true))
        << options.join(QLatin1Char(' ')).toStdString();
}

// A test's clients hold many connections at once (the client, its pages, the test itself), idle
// ones and ones waiting on a slow reply; a request on a further connection is still answered.
TEST(StandinService, AnswersWhileItsClientsHoldManyConnections)
{
    StandinProcess standin;
    ASSERT_TRUE(standin.start()) << standin.errorText().toStdString();
    constexpr int kHeld = 24;
    ASSERT_TRUE(standin.fault(QStringLiteral("/static/held"), QStringLiteral("delay"), kHeld, 60000));
    std::vector<std::unique_ptr<QTcpSocket>> held;
    for (int i = 0; i < kHeld; ++i) {
        auto socket = std::make_unique<QTcpSocket>();
        socket->connectToHost(QHostAddress::LocalHost, quint16(QUrl(standin.baseUrl()).port()));
        ASSERT_TRUE(socket->waitForConnected(5000));
        socket->write("GET /static/held HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
        ASSERT_TRUE(socket->waitForBytesWritten(5000));
        held.push_back(std::move(socket));
    }
    int status = 0;
    TestHttp::post(standin.baseUrl() + QStringLiteral("/__control"), R"({"clear_faults":true})", &status, 30000);
    EXPECT_EQ(status, 200);
}

// The guide's two links lead to pages the service (here its stand-in) really serves.
TEST(StandinService, ServesTheUserAgreementAndPrivacyPolicyTheClientLinksTo)
{
    StandinProcess standin;
    ASSERT_TRUE(standin.start()) << standin.errorText().toStdString();
    const QList<std::pair<QString, QString>> documents{{QStringLiteral("hosts.terms"), QStringLiteral("用户协议")},
                                                       {QStringLiteral("hosts.privacy"), QStringLiteral("隐私政策")}};
    for (const auto &[key, title] : documents) {
        const QUrl url = ServiceDocumentLinks::resolve(ProtocolConfig::string(key), standin.baseUrl());
        ASSERT_TRUE(url.isValid()) << key.toStdString();
        EXPECT_TRUE(url.toString().startsWith(standin.baseUrl() + QLatin1Char('/'))) << url.toString().toStdString();
        int status = 0;
        const QString page = QString::fromUtf8(TestHttp::get(url.toString(), &status));
        EXPECT_EQ(status, 200) << url.toString().toStdString();
        EXPECT_TRUE(page.contains(QStringLiteral("<title>%1</title>").arg(title))) << page.left(200).toStdString();
    }
}

TEST(ServiceDocumentLinks, PathsJoinTheHostInUseAndOnlyWebAddressesPass)
{
    const QString host = QStringLiteral("https://api1.example:8443");
    EXPECT_EQ(ServiceDocumentLinks::resolve(QStringLiteral("/terms.html"), host), QUrl(QStringLiteral("https://api1.example:8443/terms.html")));
    EXPECT_EQ(ServiceDocumentLinks::resolve(QStringLiteral("https://docs.example/p?lang=zh"), host),
              QUrl(QStringLiteral("https://docs.example/p?lang=zh")));
    // A scheme-relative path would name another host; other schemes could start a program.
    EXPECT_FALSE(ServiceDocumentLinks::resolve(QStringLiteral("//evil.example/terms"), host).isValid());
    EXPECT_FALSE(ServiceDocumentLinks::resolve(QStringLiteral("file:///etc/passwd"), host).isValid());
    EXPECT_FALSE(ServiceDocumentLinks::resolve(QStringLiteral("javascript:alert(1)"), host).isValid());
    EXPECT_FALSE(ServiceDocumentLinks::resolve(QStringLiteral("/terms.html"), QString()).isValid());
    EXPECT_FALSE(ServiceDocumentLinks::resolve(QString(), host).isValid());
}

namespace {

// Runs an account request of the client and waits for its reply (none on a transport failure).
template <typename Start>
std::optional<QJsonObject> replyOf(Start start)
{
    auto reply = std::make_shared<std::optional<QJsonObject>>();
    auto done = std::make_shared<bool>(false);
    start([reply, done](std::optional<QJsonObject> answer, auto) {
        *done = true;
        *reply = answer;
    });
    EXPECT_TRUE(QTest::qWaitFor([done] { return *done; }, kAnswerBoundMs));
    return *reply;
}

bool succeeded(const std::optional<QJsonObject> &reply)
{
    return reply && OONetWorkTool::isSuccess(*reply);
}

std::optional<QJsonObject> signIn(const QJsonObject &params)
{
    return replyOf([params](auto cb) { OONetWorkTool::accountLogin(params, cb); });
}

} // namespace

// The records are readable by any local user: a password typed into a form is there only as the
// accounts keep it, and a test can still tell which one was sent.
TEST(StandinService, RecordsHoldNoPasswordAsTyped)
{
    auto hooks = installRecordingHooks();
    StandinProcess standin;
    ASSERT_TRUE(standin.start()) << standin.errorText().toStdString();
    ASSERT_TRUE(pointClientAt({standin.baseUrl()}));
    OONetWork::shared().resetForTesting();
    const QString phone = QStringLiteral("13900000078");
    const std::optional<QJsonObject> registered = replyOf([&](auto cb) {
        OONetWorkTool::registerAccount(QJsonObject{{QStringLiteral("register_valid_code"), QStringLiteral("123456")},
                                                   {QStringLiteral("password"), QStringLiteral("typed123")},
                                                   {QStringLiteral("region_code"), QStringLiteral("86")},
                                                   {QStringLiteral("phone"), phone}}, cb);
    });
    ASSERT_TRUE(succeeded(registered));
    ASSERT_TRUE(OONetWorkTool::storeSignedInUser(*registered));
    ASSERT_TRUE(replyOf([](auto cb) {
        OONetWorkTool::updatePassword(QJsonObject{{QStringLiteral("old_password"), QStringLiteral("typed123")},
                                                  {QStringLiteral("new_password"), QStringLiteral("later456")},
                                                  {QStringLiteral("new_password_again"), QStringLiteral("later456")}}, cb);
    }).has_value());
    ASSERT_TRUE(succeeded(signIn(QJsonObject{{QStringLiteral("signType"), QStringLiteral("3")},
                                             {QStringLiteral("phone"), phone},
                                             {QStringLiteral("password"), QStringLiteral("later456")},
                                             {QStringLiteral("region_code"), QStringLiteral("86")}})));

    const QByteArray served = TestHttp::get(standin.baseUrl() + QStringLiteral("/__records"));
    EXPECT_FALSE(served.contains("typed123"));
    EXPECT_FALSE(served.contains("later456"));
    QMap<QString, QJsonObject> lastTo;
    for (const QJsonValue &entry : QJsonDocument::fromJson(served).object().value(QStringLiteral("requests")).toArray())
        lastTo.insert(entry.toObject().value(QStringLiteral("path")).toString(), entry.toObject().value(QStringLiteral("params")).toObject());
    const QJsonObject registration = lastTo.value(ApiPaths::kAccountRegister);
    EXPECT_TRUE(StandinProcess::recordedPasswordIs(registration.value(QStringLiteral("password")), QStringLiteral("typed123")));
    EXPECT_FALSE(StandinProcess::recordedPasswordIs(registration.value(QStringLiteral("password")), QStringLiteral("later456")));
    EXPECT_EQ(registration.value(QStringLiteral("phone")).toString(), phone) << "the other fields stay as sent";
    const QJsonObject change = lastTo.value(ApiPaths::kUpdatePassword);
    EXPECT_TRUE(StandinProcess::recordedPasswordIs(change.value(QStringLiteral("old_password")), QStringLiteral("typed123")));
    EXPECT_TRUE(StandinProcess::recordedPasswordIs(change.value(QStringLiteral("new_password")), QStringLiteral("later456")));
    EXPECT_TRUE(StandinProcess::recordedPasswordIs(change.value(QStringLiteral("new_password_again")), QStringLiteral("later456")));
    EXPECT_TRUE(StandinProcess::recordedPasswordIs(lastTo.value(ApiPaths::kAccountLogin).value(QStringLiteral("password")),
                                                   QStringLiteral("later456")));
}

// A demo run's accounts outlive the stand-in: the next run, on the same profile, still knows who
// registered, what they bound and the password they changed to.
TEST(StandinService, ARestartOnTheSameStateKeepsRegistrationsBindingsAndChangedPasswords)
{
    auto hooks = installRecordingHooks();
    QTemporaryDir dir;
    const QString stateFile = dir.filePath(QStringLiteral("standin-sign-ins.json"));
    const QString scenario = writeFile(dir, QStringLiteral("s.json"),
                                       QJsonDocument(QJsonObject{{QStringLiteral("sign_in_file"), stateFile}}).toJson());
    const QString phone = QStringLiteral("13900000077");
    const QString mail = QStringLiteral("kept@example.com");
    {
        StandinProcess first;
        ASSERT_TRUE(first.start({QStringLiteral("--scenario"), scenario})) << first.errorText().toStdString();
        ASSERT_TRUE(pointClientAt({first.baseUrl()}));
        OONetWork::shared().resetForTesting();
        const std::optional<QJsonObject> registered = replyOf([&](auto cb) {
            OONetWorkTool::registerAccount(QJsonObject{{QStringLiteral("register_valid_code"), QStringLiteral("123456")},
                                                       {QStringLiteral("password"), QStringLiteral("first123")},
                                                       {QStringLiteral("region_code"), QStringLiteral("86")},
                                                       {QStringLiteral("phone"), phone}}, cb);
        });
        ASSERT_TRUE(succeeded(registered));
        ASSERT_TRUE(OONetWorkTool::storeSignedInUser(*registered));
        const std::optional<QJsonObject> changed = replyOf([](auto cb) {
            OONetWorkTool::updatePassword(QJsonObject{{QStringLiteral("old_password"), QStringLiteral("first123")},
                                                      {QStringLiteral("new_password"), QStringLiteral("second45")},
                                                      {QStringLiteral("new_password_again"), QStringLiteral("second45")}}, cb);
        });
        ASSERT_TRUE(changed.has_value());
        const std::optional<QJsonObject> bound = replyOf([&](auto cb) {
            OONetWorkTool::boundAccount(QJsonObject{{QStringLiteral("boundAccount"), mail},
                                                    {QStringLiteral("register_valid_code"), QStringLiteral("123456")}}, cb);
        });
        ASSERT_TRUE(succeeded(bound));
    }

    // The state is the owner's alone and holds no password as it was typed.
    QFile kept(stateFile);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    const QByteArray saved = kept.readAll();
    EXPECT_FALSE(saved.contains("second45"));
    EXPECT_FALSE(saved.contains("first123"));
    EXPECT_EQ(kept.permissions() & (QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ReadOther | QFileDevice::WriteOther),
              QFileDevice::Permissions());

    StandinProcess second;
    ASSERT_TRUE(second.start({QStringLiteral("--scenario"), scenario})) << second.errorText().toStdString();
    ASSERT_TRUE(pointClientAt({second.baseUrl()}));
    OONetWork::shared().resetForTesting();
    const std::optional<QJsonObject> byPhone = signIn(QJsonObject{{QStringLiteral("signType"), QStringLiteral("3")},
                                                                  {QStringLiteral("phone"), phone},
                                                                  {QStringLiteral("password"), QStringLiteral("second45")},
                                                                  {QStringLiteral("region_code"), QStringLiteral("86")}});
    ASSERT_TRUE(succeeded(byPhone));
    const QJsonObject user = byPhone->value(QStringLiteral("data")).toObject().value(QStringLiteral("user")).toObject();
    EXPECT_EQ(user.value(QStringLiteral("phone")).toString(), phone);
    EXPECT_EQ(user.value(QStringLiteral("email_address")).toString(), mail);
    EXPECT_TRUE(succeeded(signIn(QJsonObject{{QStringLiteral("signType"), QStringLiteral("4")},
                                             {QStringLiteral("emailAddress"), mail},
                                             {QStringLiteral("password"), QStringLiteral("second45")}})));
    EXPECT_FALSE(succeeded(signIn(QJsonObject{{QStringLiteral("signType"), QStringLiteral("3")},
                                              {QStringLiteral("phone"), phone},
                                              {QStringLiteral("password"), QStringLiteral("first123")},
                                              {QStringLiteral("region_code"), QStringLiteral("86")}})));
    // Registered once: the name is taken on the next run too.
    EXPECT_FALSE(succeeded(replyOf([&](auto cb) {
        OONetWorkTool::registerAccount(QJsonObject{{QStringLiteral("register_valid_code"), QStringLiteral("123456")},
                                                   {QStringLiteral("password"), QStringLiteral("other123")},
                                                   {QStringLiteral("region_code"), QStringLiteral("86")},
                                                   {QStringLiteral("phone"), phone}}, cb);
    })));
}
