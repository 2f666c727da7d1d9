// The resource packages end to end against the stand-in service: the version check, the route
// files downloaded and installed where the connect road reads them, the versions recorded, a
// change on the service reaching the lists at the next check, a page package updated and shown,
// and a hostile archive from the service installing nothing.
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include "common/AppPaths.h"
#include "common/DefaultsKeys.h"
#include "common/UserDefaults.h"
#include "support/NetworkTestSupport.h"
#include "networking/OONetWorkTool.h"
#include "support/TestZipBuilder.h"
#include "vpn/HomeConnectController.h"
#include "webcore/OOPackageFiles.h"
#include "webcore/OOPageLoader.h"
#include "webcore/OOResourcePackageVersionTool.h"

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString acl(const QString &name)
{
    return OOPackageFiles::installedPath(name, QStringLiteral(".acl"));
}

class ResourcePackageTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // A fresh service per test: its versions only move forward.
        ASSERT_TRUE(standin.start({QStringLiteral("--resources"), QStringLiteral(OSTREL_SOURCE_DIR "/resources")}))
            << standin.errorText().toStdString();
        pointClientAt({standin.baseUrl()});
        hooks = installRecordingHooks();
        QDir(AppPaths::dataFolder()).removeRecursively();
    }

    // Runs one check and waits for the named updates to end; their results in that order.
    QList<bool> check(OOResourcePackageVersionTool &tool, const QStringList &keys)
    {
        QMap<QString, bool> results;
        QObject::connect(&tool, &OOResourcePackageVersionTool::updateFinished, &tool,
                         [&](const QString &key, bool success) { results.insert(key, success); });
        tool.check();
        EXPECT_TRUE(QTest::qWaitFor([&] {
            return std::all_of(keys.begin(), keys.end(), [&](const QString &key) { return results.contains(key); });
        }, 30000)) << results.size();
        QCoreApplication::processEvents();
        tool.disconnect();
        QList<bool> ordered;
        for (const QString &key : keys)
            ordered << results.value(key, false);
        return ordered;
    }

    QJsonArray apiPaths()
    {
        QJsonArray paths;
        for (const QJsonValue &request : standin.records().value(QStringLiteral("requests")).toArray())
            paths.append(request.toObject().value(QStringLiteral("path")));
        return paths;
    }

    StandinProcess standin;
    std::shared_ptr<RecordingHooks> hooks;
};

} // namespace

TEST_F(ResourcePackageTest, FirstCheckInstallsRouteFilesAndPagesAndRecordsTheVersions)
{
    OOResourcePackageVersionTool tool;
    EXPECT_EQ(check(tool, {QStringLiteral("aclVersion"), QStringLiteral("h5Version")}), (QList<bool>{true, true}));

    for (const QString &name : {QStringLiteral("gfwlist"), QStringLiteral("global"), QStringLiteral("gfwlist_otd"), QStringLiteral("gfwlist_KR")})
        EXPECT_TRUE(readAll(acl(name)).contains(QStringLiteral("# %1 access-control list served by the stand-in").arg(name).toUtf8())) << name.toStdString();
    // The next connect's list choice reads an installed file, not the bundled fallback.
    const QString chosen = HomeConnectController::aclFilePath(QStringLiteral("US"), QStringLiteral("CN"));
    EXPECT_TRUE(chosen.startsWith(AppPaths::privateFolder() + QLatin1Char('/'))) << chosen.toStdString();
    EXPECT_TRUE(readAll(chosen).contains("served by the stand-in"));
    // The same for a domestic exit in smart mode: the overseas-to-domestic list the update installed.
    UserDefaults::standard().setInteger(DefaultsKeys::kProxyMode, 0);
    const QString otd = HomeConnectController::aclFilePath(QStringLiteral("CN"), QStringLiteral("HK"));
    EXPECT_EQ(otd, acl(QStringLiteral("gfwlist_otd")));
    EXPECT_TRUE(readAll(otd).contains("# gfwlist_otd access-control list served by the stand-in"));

    const QJsonObject routes = OOPackageFiles::readDataFolderFile(OOPackageFiles::kRouterList).value_or(QJsonObject());
    const QJsonObject gfwlist = routes.value(QStringLiteral("gfwlist")).toObject();
    EXPECT_EQ(gfwlist.value(QStringLiteral("updated_at")), QJsonValue(2));
    EXPECT_TRUE(gfwlist.value(QStringLiteral("file_path")).toString().startsWith(standin.baseUrl() + QStringLiteral("/static/archives/gfwlist.zip?")));

    const QJsonObject versions = OOPackageFiles::readDataFolderFile(OOPackageFiles::kVersionList).value_or(QJsonObject());
    EXPECT_EQ(versions.value(QStringLiteral("aclVersion")), QJsonValue(2));
    EXPECT_EQ(versions.value(QStringLiteral("h5Version")), QJsonValue(QStringLiteral("2")));

    const QJsonObject content = OOPackageFiles::readDataFolderFile(OOPackageFiles::kSettingList).value_or(QJsonObject())
                                    .value(QStringLiteral("data")).toObject().value(QStringLiteral("globalsettings")).toObject()
                                    .value(QStringLiteral("content")).toObject();
    EXPECT_TRUE(content.value(QStringLiteral("buypage")).toString().startsWith(standin.baseUrl() + QStringLiteral("/static/archives/buypage.zip?fid=")));
    EXPECT_TRUE(content.contains(QStringLiteral("mac-tamsine-download"))) << "keys the service does not list stay";
    // The installed package is what the purchase page unpacks: the page sources of the project.
    const std::optional<QString> entry = OOPageLoader::unpack(OOPageLoader::kPurchasePage);
    ASSERT_TRUE(entry);
    EXPECT_TRUE(readAll(*entry).contains("buy.js"));
    // With the shared bridge script and style sheet it loads, or the installed page could no
    // longer talk to the client.
    EXPECT_TRUE(readAll(OOPageLoader::pageFolder(OOPageLoader::kPurchasePage) + QStringLiteral("/bridge.js")).contains("NativeBridge"));
    EXPECT_TRUE(QFile::exists(OOPageLoader::pageFolder(OOPageLoader::kPurchasePage) + QStringLiteral("/page.css")));

    // Nothing moved on the service: the next check asks for no list.
    QSignalSpy started(&tool, &OOResourcePackageVersionTool::updateStarted);
    bool answered = false;
    OONetWorkTool::resourcePackageVersion([&](std::optional<QJsonObject> response, std::optional<QString> message) {
        tool.checkVersion(response, message);
        answered = true;
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return answered; }, 15000));
    EXPECT_EQ(started.count(), 0);
}

TEST_F(ResourcePackageTest, ChangesOnTheServiceReachTheClientAtTheNextCheck)
{
    OOResourcePackageVersionTool tool;
    ASSERT_EQ(check(tool, {QStringLiteral("aclVersion"), QStringLiteral("h5Version")}), (QList<bool>{true, true}));
    const QByteArray global = readAll(acl(QStringLiteral("global")));

    ASSERT_TRUE(standin.control(QJsonObject{
        {QStringLiteral("route_files"), QJsonObject{{QStringLiteral("gfwlist"), QStringLiteral("[proxy_all]\n[bypass_list]\n10.0.0.0/8\n")}}},
        {QStringLiteral("page_files"), QJsonObject{{QStringLiteral("buypage"), QJsonObject{{QStringLiteral("index.html"), QStringLiteral("<p>v2</p>")}}}}},
        {QStringLiteral("resource_versions"), QJsonObject{{QStringLiteral("aclVersion"), 3}, {QStringLiteral("h5Version"), QStringLiteral("3")}}}}));
    // The new purchase page is installed. The download page's stored address carries the domain
    // while the service lists it relative: under the same "fid" it is not fetched again but still
    // counts as changed, so this run does not record the new "h5Version" (the next check asks again).
    EXPECT_EQ(check(tool, {QStringLiteral("aclVersion"), QStringLiteral("h5Version")}), (QList<bool>{true, false}));

    EXPECT_EQ(readAll(acl(QStringLiteral("gfwlist"))), QByteArray("[proxy_all]\n[bypass_list]\n10.0.0.0/8\n"));
    EXPECT_EQ(readAll(acl(QStringLiteral("global"))), global);
    const QJsonObject routes = OOPackageFiles::readDataFolderFile(OOPackageFiles::kRouterList).value_or(QJsonObject());
    EXPECT_EQ(routes.value(QStringLiteral("gfwlist")).toObject().value(QStringLiteral("updated_at")), QJsonValue(3));
    const QJsonObject versions = OOPackageFiles::readDataFolderFile(OOPackageFiles::kVersionList).value_or(QJsonObject());
    EXPECT_EQ(versions.value(QStringLiteral("aclVersion")), QJsonValue(3));
    EXPECT_EQ(versions.value(QStringLiteral("h5Version")), QJsonValue(QStringLiteral("2")));

    const std::optional<QString> entry = OOPageLoader::unpack(OOPageLoader::kPurchasePage);
    ASSERT_TRUE(entry);
    EXPECT_EQ(readAll(*entry), QByteArray("<p>v2</p>"));
}

TEST_F(ResourcePackageTest, AHostileArchiveFromTheServiceInstallsAndRecordsNothing)
{
    OOResourcePackageVersionTool tool;
    ASSERT_EQ(check(tool, {QStringLiteral("aclVersion")}), QList<bool>{true});
    const QByteArray before = readAll(acl(QStringLiteral("gfwlist")));
    const QByteArray hostile = TestZipBuilder().addFile(QStringLiteral("../../../escaped.acl"), "x")
                                   .encrypt(OOPackageFiles::packagePassword()).build();
    ASSERT_TRUE(standin.control(QJsonObject{
        {QStringLiteral("raw_archives"), QJsonObject{{QStringLiteral("gfwlist"), QString::fromLatin1(hostile.toBase64())}}},
        {QStringLiteral("resource_versions"), QJsonObject{{QStringLiteral("aclVersion"), 5}}}}));
    EXPECT_EQ(check(tool, {QStringLiteral("aclVersion")}), QList<bool>{false});
    EXPECT_EQ(readAll(acl(QStringLiteral("gfwlist"))), before);
    EXPECT_FALSE(QFileInfo::exists(QDir::homePath() + QStringLiteral("/escaped.acl")));
    EXPECT_FALSE(QFileInfo::exists(AppPaths::dataFolder() + QStringLiteral("/escaped.acl")));
    const QJsonObject versions = OOPackageFiles::readDataFolderFile(OOPackageFiles::kVersionList).value_or(QJsonObject());
    EXPECT_EQ(versions.value(QStringLiteral("aclVersion")), QJsonValue(2)) << "the version is asked for again next time";
    const QJsonObject routes = OOPackageFiles::readDataFolderFile(OOPackageFiles::kRouterList).value_or(QJsonObject());
    EXPECT_EQ(routes.value(QStringLiteral("gfwlist")).toObject().value(QStringLiteral("updated_at")), QJsonValue(2));
}

TEST_F(ResourcePackageTest, NoRecordAnywhereAsksForNothing)
{
    AppPaths::setResourceFolderForTesting(QDir::homePath() + QStringLiteral("/no-bundle"));
    OOResourcePackageVersionTool tool;
    standin.control(QJsonObject{{QStringLiteral("clear_records"), true}});
    QSignalSpy finished(&tool, &OOResourcePackageVersionTool::updateFinished);
    QSignalSpy started(&tool, &OOResourcePackageVersionTool::updateStarted);
    tool.checkVersion(QJsonObject{{QStringLiteral("data"), QJsonObject{{QStringLiteral("aclVersion"), 9}}}}, std::nullopt);
    EXPECT_EQ(started.count(), 0);
    AppPaths::setResourceFolderForTesting(QStringLiteral(OSTREL_SOURCE_DIR "/resources"));
    EXPECT_EQ(finished.count(), 0);
    EXPECT_FALSE(tool.localConfig());
    EXPECT_FALSE(QFile::exists(OOPackageFiles::listPath(OOPackageFiles::kVersionList)));
}

// What the shipped pages do through the bridge (common/bridge.js): have a request encrypted and
// signed, send it themselves as a GET with the envelope in the query, and have the answer
// decrypted. The service accepts it and the page gets the answer's object.
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QUrlQuery>

#include "webcore/ScriptMessageRouter.h"

TEST_F(ResourcePackageTest, APagesOwnSignedRequestIsAcceptedAndItsAnswerRead)
{
    const QString page = AppPaths::pageFolder() + QStringLiteral("/buypage/index.html");
    QDir().mkpath(QFileInfo(page).absolutePath());
    QFile(page).open(QIODevice::WriteOnly);
    ScriptMessageRouter router(ScriptMessageRouter::HostKind::PageController, nullptr);
    QStringList replies;
    QObject::connect(&router, &ScriptMessageRouter::replyReady, [&](const QString &script) { replies << script; });
    const auto payload = [](const QString &script, const QString &name) {
        const QString prefix = QStringLiteral("window.__$$$_native_call_ios.") + name + QStringLiteral("Callback(");
        return QJsonDocument::fromJson(script.mid(prefix.size(), script.size() - prefix.size() - 1).toUtf8()).object();
    };

    const QJsonObject ask{{QStringLiteral("id"), QStringLiteral("p1")},
                          {QStringLiteral("value"), QJsonObject{{QStringLiteral("url"), QStringLiteral("/api/client/society_v2/products")},
                                                                {QStringLiteral("headers"), QJsonObject()},
                                                                {QStringLiteral("body"), QJsonObject()}}}};
    router.receive(QStringLiteral("encryptString"), QString::fromUtf8(QJsonDocument(ask).toJson()), QUrl::fromLocalFile(page));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !replies.isEmpty(); }, 5000));
    const QJsonObject request = payload(replies.takeFirst(), QStringLiteral("encryptString")).value(QStringLiteral("data")).toObject();

    QUrl url(request.value(QStringLiteral("url")).toString());
    QUrlQuery query;
    const QJsonObject envelope = request.value(QStringLiteral("body")).toObject();
    for (auto it = envelope.begin(); it != envelope.end(); ++it)
        query.addQueryItem(it.key(), QString::fromLatin1(QUrl::toPercentEncoding(it.value().toString())));
    url.setQuery(query);
    QNetworkRequest http(url);
    const QJsonObject headers = request.value(QStringLiteral("headers")).toObject();
    for (auto it = headers.begin(); it != headers.end(); ++it)
        http.setRawHeader(it.key().toUtf8(), it.value().toString().toUtf8());
    QNetworkAccessManager manager;
    QNetworkReply *reply = manager.get(http);
    ASSERT_TRUE(QTest::qWaitFor([&] { return reply->isFinished(); }, 10000));
    EXPECT_EQ(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), 200);
    EXPECT_EQ(reply->rawHeader("Access-Control-Allow-Origin"), QByteArray("*"));
    const QString sealed = QString::fromUtf8(reply->readAll()).trimmed();
    reply->deleteLater();

    router.receive(QStringLiteral("decryptString"),
                   QString::fromUtf8(QJsonDocument(QJsonObject{{QStringLiteral("id"), QStringLiteral("p2")},
                                                               {QStringLiteral("value"), sealed}}).toJson()),
                   QUrl::fromLocalFile(page));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !replies.isEmpty(); }, 5000));
    const QJsonObject answer = payload(replies.takeFirst(), QStringLiteral("decryptString"));
    EXPECT_EQ(answer.value(QStringLiteral("id")).toString(), QStringLiteral("p2"));
    const QJsonObject data = answer.value(QStringLiteral("data")).toObject();
    EXPECT_EQ(data.value(QStringLiteral("success")), QJsonValue(true)) << QJsonDocument(data).toJson().toStdString();
    EXPECT_EQ(data.value(QStringLiteral("data")).toObject().value(QStringLiteral("page_datas")).toArray().size(), 2);
}

#include "webcore/OOBuyHTMLUpdate.h"
#include "webcore/OOPacUpdate.h"

namespace {

// The service's own list (get_router_files "data"), fetched the way the version check does.
QJsonObject serviceRouteList()
{
    std::optional<QJsonObject> list;
    bool done = false;
    OONetWorkTool::routerFiles([&](std::optional<QJsonObject> response, std::optional<QString>) {
        list = response;
        done = true;
    });
    EXPECT_TRUE(QTest::qWaitFor([&] { return done; }, 15000));
    return list.value_or(QJsonObject()).value(QStringLiteral("data")).toObject();
}

// Runs one update and gives its single answer; fails the test on a second one or none.
template <typename Updater>
std::optional<bool> runUpdate(Updater &updater, const QJsonObject &response)
{
    QList<bool> answers;
    bool returned = false;
    updater.update(response, std::nullopt, [&](bool ok) {
        EXPECT_TRUE(returned) << "an answer inside the call that started it";
        answers << ok;
    });
    returned = true;
    if (!QTest::qWaitFor([&] { return !answers.isEmpty(); }, 30000))
        return std::nullopt;
    QCoreApplication::processEvents();
    EXPECT_EQ(answers.size(), 1);
    return answers.first();
}

QJsonObject envelope(const QJsonObject &data)
{
    return QJsonObject{{QStringLiteral("success"), true}, {QStringLiteral("data"), data}};
}

} // namespace

TEST_F(ResourcePackageTest, RouteListRules)
{
    QJsonObject server = serviceRouteList();
    ASSERT_TRUE(server.contains(QStringLiteral("gfwlist")));
    const auto entry = [&](const QString &name, const QJsonValue &updatedAt) {
        QJsonObject e = server.value(name).toObject();
        e.insert(QStringLiteral("updated_at"), updatedAt);
        return e;
    };
    // Local: "gfwlist" older, "global" the same, "gfwlist_otd" the same number, no "gfwlist_KR".
    ASSERT_FALSE(OOPackageFiles::writeList(OOPackageFiles::kRouterList, QJsonObject{
        {QStringLiteral("gfwlist"), entry(QStringLiteral("gfwlist"), 1)},
        {QStringLiteral("global"), entry(QStringLiteral("global"), 2)},
        {QStringLiteral("gfwlist_otd"), entry(QStringLiteral("gfwlist_otd"), 2)}}));
    // The service writes one version as text (no number: counted as changed), and lists a name
    // the client does not handle, with a path that would leave the private folder.
    server.insert(QStringLiteral("gfwlist_otd"), entry(QStringLiteral("gfwlist_otd"), QStringLiteral("2")));
    QJsonObject evil = server.value(QStringLiteral("global")).toObject();
    server.insert(QStringLiteral("../evil"), evil);
    // A relative path without its leading "/" still reaches the service.
    QJsonObject gfwlist = server.value(QStringLiteral("gfwlist")).toObject();
    gfwlist.insert(QStringLiteral("file_path"), gfwlist.value(QStringLiteral("file_path")).toString().mid(1));
    server.insert(QStringLiteral("gfwlist"), gfwlist);

    OOPacUpdate pac;
    EXPECT_EQ(runUpdate(pac, envelope(server)), std::optional<bool>(true));
    for (const QString &name : {QStringLiteral("gfwlist"), QStringLiteral("gfwlist_otd"), QStringLiteral("gfwlist_KR")})
        EXPECT_TRUE(QFile::exists(acl(name))) << name.toStdString();
    EXPECT_FALSE(QFile::exists(acl(QStringLiteral("global")))) << "unchanged: not fetched";
    EXPECT_TRUE(QDir(AppPaths::dataFolder()).entryList({QStringLiteral("*evil*")}).isEmpty());
    const QJsonObject stored = OOPackageFiles::readDataFolderFile(OOPackageFiles::kRouterList).value_or(QJsonObject());
    EXPECT_FALSE(stored.contains(QStringLiteral("../evil")));
    EXPECT_EQ(stored.value(QStringLiteral("gfwlist_otd")).toObject().value(QStringLiteral("updated_at")), QJsonValue(QStringLiteral("2")));
    EXPECT_TRUE(stored.value(QStringLiteral("gfwlist")).toObject().value(QStringLiteral("file_path")).toString()
                    .startsWith(standin.baseUrl() + QStringLiteral("/static/")));

    // Nothing changed: success at once (in a later turn), nothing fetched.
    EXPECT_EQ(runUpdate(pac, envelope(stored)), std::optional<bool>(true));

    // A changed list without an address cannot be stored: the run fails, nothing is recorded.
    QJsonObject broken = stored;
    broken.insert(QStringLiteral("global"), QJsonObject{{QStringLiteral("updated_at"), 9}});
    EXPECT_EQ(runUpdate(pac, envelope(broken)), std::optional<bool>(false));
    EXPECT_EQ(OOPackageFiles::readDataFolderFile(OOPackageFiles::kRouterList)->value(QStringLiteral("global")).toObject()
                  .value(QStringLiteral("updated_at")), QJsonValue(2));
    EXPECT_EQ(runUpdate(pac, QJsonObject()), std::optional<bool>(false)) << "no data";
}

TEST_F(ResourcePackageTest, PagePackageKeysMustBePlainNames)
{
    std::optional<QJsonObject> setting;
    bool done = false;
    OONetWorkTool::systemSetting([&](std::optional<QJsonObject> response, std::optional<QString>) {
        setting = response;
        done = true;
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return done; }, 15000));
    ASSERT_TRUE(setting);
    QJsonObject data = setting->value(QStringLiteral("data")).toObject();
    QJsonObject global = data.value(QStringLiteral("globalsettings")).toObject();
    QJsonObject content = global.value(QStringLiteral("content")).toObject();
    const QString buypage = content.value(QStringLiteral("buypage")).toString();
    content = QJsonObject{{QStringLiteral("staticurl"), content.value(QStringLiteral("staticurl"))},
                          {QStringLiteral("buypage"), buypage},
                          {QStringLiteral("../../evil"), buypage},
                          {QStringLiteral("a b"), buypage},
                          {QStringLiteral(".."), buypage}};
    global.insert(QStringLiteral("content"), content);
    data.insert(QStringLiteral("globalsettings"), global);

    OOBuyHTMLUpdate pages;
    EXPECT_EQ(runUpdate(pages, envelope(data)), std::optional<bool>(true));
    EXPECT_TRUE(QFile::exists(OOPageLoader::localArchive(QStringLiteral("buypage"))));
    EXPECT_EQ(QDir(AppPaths::privateFolder()).entryList(QDir::Files), QStringList{QStringLiteral("buypage.zip")});
    EXPECT_TRUE(QDir(AppPaths::dataFolder()).entryList({QStringLiteral("*evil*")}).isEmpty());
    EXPECT_TRUE(QDir(QDir::homePath()).entryList({QStringLiteral("*evil*")}).isEmpty());
    const QJsonObject stored = OOPackageFiles::readDataFolderFile(OOPackageFiles::kSettingList).value_or(QJsonObject())
                                   .value(QStringLiteral("data")).toObject().value(QStringLiteral("globalsettings")).toObject()
                                   .value(QStringLiteral("content")).toObject();
    EXPECT_EQ(stored.value(QStringLiteral("buypage")).toString(), standin.baseUrl() + buypage);
    EXPECT_FALSE(stored.contains(QStringLiteral("../../evil")));

    // The same list again: the stored address carries the domain, the "fid" is the same, so the
    // package is not fetched again; it still counts as changed, so the version is not recorded.
    QFile::remove(OOPageLoader::localArchive(QStringLiteral("buypage")));
    EXPECT_EQ(runUpdate(pages, envelope(data)), std::optional<bool>(false));
    EXPECT_FALSE(QFile::exists(OOPageLoader::localArchive(QStringLiteral("buypage"))));

    // Only the base address changed: nothing counts, nothing is fetched, nothing is recorded.
    QJsonObject baseOnly = data;
    global.insert(QStringLiteral("content"), QJsonObject{{QStringLiteral("staticurl"), QStringLiteral("https://static.example/")},
                                                         {QStringLiteral("buypage"), stored.value(QStringLiteral("buypage"))}});
    baseOnly.insert(QStringLiteral("globalsettings"), global);
    EXPECT_EQ(runUpdate(pages, envelope(baseOnly)), std::optional<bool>(false));
    EXPECT_FALSE(QFile::exists(OOPageLoader::localArchive(QStringLiteral("buypage"))));
    EXPECT_EQ(OOBuyHTMLUpdate::encodedUrl(QStringLiteral("https://h/a b.zip?fid=1&md5key=x")),
              QStringLiteral("https://h/a%20b.zip?fid=1&md5key=x"));
}
