// The native end of the pages' messages, without a web engine: exact reply texts, the two gates,
// the request encryption a page asks for, and the requests a page may make of its window.
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include "common/AppPaths.h"
#include "common/MKUserTable.h"
#include "common/OOAES256.h"
#include "common/ProtocolConfig.h"
#include "networking/OOHostSafeAdpter.h"
#include "networking/OONetParamManager.h"
#include "webcore/unreached/AnJSregister.h"
#include "webcore/OOWebCommon.h"
#include "webcore/ScriptMessageHost.h"
#include "webcore/ScriptMessageRouter.h"

namespace {

using Kind = ScriptMessageRouter::HostKind;
using Outcome = ScriptMessageRouter::Outcome;

struct RecordingHost : ScriptMessageHost
{
    void closePage() override { calls << QStringLiteral("close"); }
    void switchMainWindowTab(int index) override { calls << QStringLiteral("tab %1").arg(index); }
    void handleJumpAction(const QString &d) override { calls << QStringLiteral("jump ") + d; }
    void openExternalUrl(const QUrl &url) override { calls << QStringLiteral("open ") + url.toString(); }
    void saveImage(const QByteArray &bytes) override { calls << QStringLiteral("save %1").arg(bytes.size()); }
    void openUpgradeWindow(const QUrl &url, const QString &version) override
    {
        calls << QStringLiteral("upgrade ") + url.toString() + QLatin1Char(' ') + version;
    }
    QStringList calls;
};

QString text(const QJsonObject &object)
{
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

QJsonObject replyObject(const QString &script, const QString &name)
{
    const QString prefix = QStringLiteral("window.__$$$_native_call_ios.") + name + QStringLiteral("Callback(");
    EXPECT_TRUE(script.startsWith(prefix)) << script.left(80).toStdString();
    EXPECT_TRUE(script.endsWith(QLatin1Char(')')));
    return QJsonDocument::fromJson(script.mid(prefix.size(), script.size() - prefix.size() - 1).toUtf8()).object();
}

class RouterTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const QString folder = AppPaths::pageFolder() + QStringLiteral("/buypage");
        QDir().mkpath(folder);
        QFile page(folder + QStringLiteral("/index.html"));
        ASSERT_TRUE(page.open(QIODevice::WriteOnly));
        page.write("<html></html>");
        localPage = QUrl::fromLocalFile(page.fileName());
        ASSERT_TRUE(MKUserTable().deleteAll());
    }

    std::unique_ptr<ScriptMessageRouter> router(Kind kind)
    {
        auto r = std::make_unique<ScriptMessageRouter>(kind, &host);
        r->setEventTracker([this](const QString &event) { events << event; });
        return r;
    }

    // Posts one message from the local page and gives the replies once the event loop has run.
    QStringList post(ScriptMessageRouter &r, const QString &name, const QJsonValue &body, Outcome expected = Outcome::Handled)
    {
        QSignalSpy spy(&r, &ScriptMessageRouter::replyReady);
        EXPECT_EQ(r.receive(name, body, localPage), expected);
        EXPECT_EQ(spy.count(), 0) << "a reply must never come inside the message's own call";
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        QStringList scripts;
        for (const QList<QVariant> &args : spy)
            scripts << args.at(0).toString();
        return scripts;
    }

    RecordingHost host;
    QStringList events;
    QUrl localPage;
};

} // namespace

TEST_F(RouterTest, ReplyScriptHasTheExactShape)
{
    EXPECT_EQ(OOWebCommon::executeJS(QStringLiteral("getUserInfo"), QJsonObject{{QStringLiteral("a"), 1}}),
              QStringLiteral("window.__$$$_native_call_ios.getUserInfoCallback({\"a\":1})"));
    EXPECT_EQ(OOWebCommon::executeJS(QStringLiteral("x"), QJsonObject{}, false),
              QStringLiteral("window.__$$$_native_call_ios.x({})"));
}

TEST_F(RouterTest, GetUserInfoWithoutAndWithASignedInUser)
{
    auto r = router(Kind::PageController);
    QStringList replies = post(*r, QStringLiteral("getUserInfo"), QJsonValue());
    ASSERT_EQ(replies.size(), 1);
    QJsonObject reply = replyObject(replies.first(), QStringLiteral("getUserInfo"));
    EXPECT_EQ(reply.value(QStringLiteral("code")), QJsonValue(200));
    EXPECT_EQ(reply.value(QStringLiteral("msg")).toString(), QStringLiteral("success"));
    QJsonObject data = reply.value(QStringLiteral("data")).toObject();
    QStringList expected{QStringLiteral("device_uuid"), QStringLiteral("uuid"), QStringLiteral("vpn_key"),
                         QStringLiteral("project_name"), QStringLiteral("agent_id"), QStringLiteral("app_channel"),
                         QStringLiteral("platform"), QStringLiteral("device_os"), QStringLiteral("app_version_number"),
                         QStringLiteral("app_version"), QStringLiteral("app_name"), QStringLiteral("device_model"),
                         QStringLiteral("device_bundle"), QStringLiteral("inner_ip"),
                         QStringLiteral("device_system_language"), QStringLiteral("apiDomain"),
                         QStringLiteral("api_domain"), QStringLiteral("language")};
    QStringList keys = data.keys();
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(keys, expected);
    EXPECT_EQ(data.value(QStringLiteral("language")).toString(), QStringLiteral("zh_CN"));

    const QJsonObject user{{QStringLiteral("kind"), 1}, {QStringLiteral("proxy_session_id"), QStringLiteral("s1")},
                           {QStringLiteral("user"), QJsonObject{{QStringLiteral("id"), 7}, {QStringLiteral("api_token"), QStringLiteral("tok")}}}};
    ASSERT_TRUE(MKUserTable().insertOrReplace(7, text(user)));
    replies = post(*r, QStringLiteral("getUserInfo"), QStringLiteral("ignored"));
    ASSERT_EQ(replies.size(), 1);
    data = replyObject(replies.first(), QStringLiteral("getUserInfo")).value(QStringLiteral("data")).toObject();
    EXPECT_EQ(data.value(QStringLiteral("kind")), QJsonValue(1));
    EXPECT_EQ(data.value(QStringLiteral("proxy_session_id")).toString(), QStringLiteral("s1"));
    EXPECT_EQ(data.value(QStringLiteral("user")).toObject().value(QStringLiteral("api_token")).toString(), QStringLiteral("tok"));
    EXPECT_TRUE(data.contains(QStringLiteral("device_uuid")));
    EXPECT_TRUE(MKUserTable().deleteAll());
}

TEST_F(RouterTest, EncryptStringWithOnlyAUrlAndWithHeadersAndBody)
{
    auto r = router(Kind::Popup);
    const QString domain = OOHostSafeAdpter::shared().currentDomain();
    QJsonObject message{{QStringLiteral("id"), QStringLiteral("r1")},
                        {QStringLiteral("value"), QJsonObject{{QStringLiteral("url"), QStringLiteral("/api/client/society_v2/products")}}}};
    QStringList replies = post(*r, QStringLiteral("encryptString"), text(message));
    ASSERT_EQ(replies.size(), 1);
    QJsonObject reply = replyObject(replies.first(), QStringLiteral("encryptString"));
    EXPECT_EQ(reply.keys(), (QStringList{QStringLiteral("data"), QStringLiteral("id")}));
    EXPECT_EQ(reply.value(QStringLiteral("id")).toString(), QStringLiteral("r1"));
    QJsonObject data = reply.value(QStringLiteral("data")).toObject();
    EXPECT_EQ(data.keys(), QStringList{QStringLiteral("url")});
    const QString url = data.value(QStringLiteral("url")).toString();
    EXPECT_TRUE(url.startsWith(domain + QLatin1Char('/'))) << url.toStdString();
    EXPECT_FALSE(url.contains(QStringLiteral("products"))) << "the path travels encrypted";

    // A header value that is no text: the reply carries no headers at all, and is still sent.
    QJsonObject value{{QStringLiteral("url"), QStringLiteral("/api/client/x")},
                      {QStringLiteral("headers"), QJsonObject{{QStringLiteral("a"), 1}}}};
    message.insert(QStringLiteral("value"), value);
    replies = post(*r, QStringLiteral("encryptString"), text(message));
    ASSERT_EQ(replies.size(), 1);
    data = replyObject(replies.first(), QStringLiteral("encryptString")).value(QStringLiteral("data")).toObject();
    EXPECT_FALSE(data.contains(QStringLiteral("headers")));

    // Text headers and a body: the common signed headers sign exactly the envelope handed back.
    value.insert(QStringLiteral("headers"), QJsonObject{{QStringLiteral("X-Page"), QStringLiteral("buy")}});
    value.insert(QStringLiteral("body"), QJsonObject{{QStringLiteral("product_id"), 3}});
    message.insert(QStringLiteral("value"), value);
    replies = post(*r, QStringLiteral("encryptString"), text(message));
    ASSERT_EQ(replies.size(), 1);
    data = replyObject(replies.first(), QStringLiteral("encryptString")).value(QStringLiteral("data")).toObject();
    const QJsonObject headers = data.value(QStringLiteral("headers")).toObject();
    const QJsonObject body = data.value(QStringLiteral("body")).toObject();
    EXPECT_EQ(headers.value(QStringLiteral("X-Page")).toString(), QStringLiteral("buy"));
    EXPECT_EQ(headers.value(QStringLiteral("file_secret")).toString(), QStringLiteral("v2"));
    for (const char *key : {"channel_id", "app_version", "app_name", "app_type", "language", "api_version"})
        EXPECT_TRUE(headers.contains(QLatin1String(key))) << key;
    EXPECT_FALSE(headers.contains(QStringLiteral("Authorization"))) << "nobody is signed in";
    for (const char *key : {"encrypt_data", "encrypt_resp", "un_nonce", "un_timestamp", "sign_data", "skv", "data_skv"})
        EXPECT_TRUE(body.contains(QLatin1String(key))) << key;
    EXPECT_EQ(headers.value(QStringLiteral("sign_data")), body.value(QStringLiteral("sign_data")));
    EXPECT_EQ(headers.value(QStringLiteral("un_nonce")), body.value(QStringLiteral("un_nonce")));
    const QString plain = OOAES256::decryptToString(ProtocolConfig::paramKey(),
                                                    body.value(QStringLiteral("encrypt_data")).toString()).value_or(QString());
    const QJsonObject params = QJsonDocument::fromJson(plain.toUtf8()).object();
    EXPECT_EQ(params.value(QStringLiteral("product_id")), QJsonValue(3));
    EXPECT_TRUE(params.contains(QStringLiteral("vpn_key"))) << "the identity record is merged in";
}

TEST_F(RouterTest, EncryptStringNeedsItsFields)
{
    auto r = router(Kind::PageController);
    const QJsonObject url{{QStringLiteral("url"), QStringLiteral("/api/client/x")}};
    EXPECT_TRUE(post(*r, QStringLiteral("encryptString"), text(QJsonObject{{QStringLiteral("value"), url}})).isEmpty());
    EXPECT_TRUE(post(*r, QStringLiteral("encryptString"),
                     text(QJsonObject{{QStringLiteral("id"), 5}, {QStringLiteral("value"), url}})).isEmpty());
    EXPECT_TRUE(post(*r, QStringLiteral("encryptString"),
                     text(QJsonObject{{QStringLiteral("id"), QStringLiteral("a")},
                                      {QStringLiteral("value"), QJsonObject{{QStringLiteral("url"), 3}}}})).isEmpty());
    // The body as an object rather than JSON text: a no-op, as in every message that reads it.
    EXPECT_TRUE(post(*r, QStringLiteral("encryptString"),
                     QJsonObject{{QStringLiteral("id"), QStringLiteral("a")}, {QStringLiteral("value"), url}}).isEmpty());
    EXPECT_TRUE(post(*r, QStringLiteral("encryptString"), QStringLiteral("{not json")).isEmpty());
}

TEST_F(RouterTest, DecryptStringOfAnObjectAndOfANonObject)
{
    auto r = router(Kind::PageController);
    const QString object = OOAES256::encrypt(ProtocolConfig::apiKey(), QStringLiteral("{\"a\":1,\"b\":\"中文\"}")).value();
    QStringList replies = post(*r, QStringLiteral("decryptString"),
                               text(QJsonObject{{QStringLiteral("value"), object}, {QStringLiteral("id"), QStringLiteral("d1")}}));
    ASSERT_EQ(replies.size(), 1);
    EXPECT_EQ(replies.first(), QStringLiteral("window.__$$$_native_call_ios.decryptStringCallback("
                                              "{\"data\":{\"a\":1,\"b\":\"中文\"},\"id\":\"d1\"})"));

    const QString array = OOAES256::encrypt(ProtocolConfig::apiKey(), QStringLiteral("[1,2]")).value();
    EXPECT_TRUE(post(*r, QStringLiteral("decryptString"),
                     text(QJsonObject{{QStringLiteral("value"), array}, {QStringLiteral("id"), QStringLiteral("d2")}})).isEmpty());
    const QString wrongKey = OOAES256::encrypt(ProtocolConfig::pathKey(), QStringLiteral("{\"a\":1}")).value();
    EXPECT_TRUE(post(*r, QStringLiteral("decryptString"),
                     text(QJsonObject{{QStringLiteral("value"), wrongKey}, {QStringLiteral("id"), QStringLiteral("d3")}})).isEmpty());
    EXPECT_TRUE(post(*r, QStringLiteral("decryptString"),
                     text(QJsonObject{{QStringLiteral("value"), object}})).isEmpty());
}

TEST_F(RouterTest, OnlyLocalPagesAreAnswered)
{
    auto r = router(Kind::PageController);
    QSignalSpy spy(r.get(), &ScriptMessageRouter::replyReady);
    const QString outside = QDir::tempPath() + QStringLiteral("/ostrel-outside.html");
    QFile(outside).open(QIODevice::WriteOnly);
    const QList<QUrl> foreign{
        QUrl(QStringLiteral("https://example.com/buypage/index.html")),
        QUrl(QStringLiteral("http://127.0.0.1:8080/index.html")),
        QUrl(QStringLiteral("data:text/html,<p>x</p>")),
        QUrl(QStringLiteral("about:blank")),
        QUrl(),
        QUrl::fromLocalFile(outside),
        QUrl::fromLocalFile(AppPaths::pageFolder() + QStringLiteral("/../private/evil.html")),
        QUrl(QStringLiteral("file://otherhost") + AppPaths::pageFolder() + QStringLiteral("/buypage/index.html")),
    };
    for (const QUrl &url : foreign) {
        EXPECT_EQ(r->receive(QStringLiteral("getUserInfo"), QJsonValue(), url), Outcome::UntrustedOrigin)
            << url.toString().toStdString();
        EXPECT_EQ(r->receive(QStringLiteral("closePage"), QJsonValue(), url), Outcome::UntrustedOrigin);
    }
    // A link inside the page root that leads out of it counts as where it leads.
    const QString link = AppPaths::pageFolder() + QStringLiteral("/buypage/outside.html");
    QFile::remove(link);
    ASSERT_TRUE(QFile::link(outside, link));
    EXPECT_EQ(r->receive(QStringLiteral("getUserInfo"), QJsonValue(), QUrl::fromLocalFile(link)), Outcome::UntrustedOrigin);

    QCoreApplication::processEvents();
    EXPECT_EQ(spy.count(), 0);
    EXPECT_TRUE(host.calls.isEmpty());

    // A bundled page (the resource folder) is local.
    const QUrl bundled = QUrl::fromLocalFile(AppPaths::resourceFolder() + QStringLiteral("/protocol.json"));
    EXPECT_EQ(r->receive(QStringLiteral("getUserInfo"), QJsonValue(), bundled), Outcome::Handled);
    QFile::remove(outside);
}

TEST_F(RouterTest, NamesAreTheHostsOwn)
{
    EXPECT_EQ(ScriptMessageRouter::registeredNames(Kind::PageController).size(), 16);
    EXPECT_EQ(ScriptMessageRouter::registeredNames(Kind::Popup).size(), 11);
    auto popup = router(Kind::Popup);
    auto page = router(Kind::PageController);
    // Registered on the page, unknown to the popup: it never reaches the popup's native side.
    EXPECT_EQ(page->receive(QStringLiteral("getProducts"), QStringLiteral("{}"), localPage), Outcome::Handled);
    EXPECT_EQ(popup->receive(QStringLiteral("getProducts"), QStringLiteral("{}"), localPage), Outcome::UnknownName);
    EXPECT_EQ(popup->receive(QStringLiteral("closePage"), QJsonValue(), localPage), Outcome::UnknownName);
    EXPECT_EQ(page->receive(QStringLiteral("evalAnything"), QJsonValue(), localPage), Outcome::UnknownName);
    EXPECT_TRUE(host.calls.isEmpty());
}

TEST_F(RouterTest, PageControllerButtonsAndLinks)
{
    auto r = router(Kind::PageController);
    auto button = [&](const QString &type, const std::optional<QJsonObject> &params) {
        QJsonObject body{{QStringLiteral("type"), type}};
        if (params)
            body.insert(QStringLiteral("params"), *params);
        post(*r, QStringLiteral("button"), text(body));
    };
    const auto url = [](const QString &u) { return QJsonObject{{QStringLiteral("url"), u}}; };

    button(QStringLiteral("close"), QJsonObject());
    button(QStringLiteral("close"), std::nullopt);   // "button" needs its params
    post(*r, QStringLiteral("jumpAction"), text(QJsonObject{{QStringLiteral("type"), QStringLiteral("cancel")}}));
    button(QStringLiteral("confirm"), QJsonObject());
    button(QStringLiteral("jump"), url(QStringLiteral("https://example.com/a?b=1")));
    button(QStringLiteral("jump"), url(QStringLiteral("marlet://buy")));
    button(QStringLiteral("jump"), url(QStringLiteral("marlet://my")));
    button(QStringLiteral("jump"), url(QStringLiteral("marlet://newsList")));
    button(QStringLiteral("jump"), url(QStringLiteral("mailto:help@example.com")));
    button(QStringLiteral("jump"), url(QStringLiteral("file:///etc/passwd")));
    button(QStringLiteral("jump"), url(QStringLiteral("javascript:alert(1)")));
    button(QStringLiteral("jump"), url(QStringLiteral("ssh://host")));
    button(QStringLiteral("jump"), QJsonObject{{QStringLiteral("url"), 5}});
    button(QStringLiteral("jump"), QJsonObject());
    post(*r, QStringLiteral("jumpAction"), text(QJsonObject{{QStringLiteral("type"), QStringLiteral("jump")}}));
    button(QStringLiteral("update"), QJsonObject());   // no product page configured: nothing
    r->setProductPageUrl(QUrl(QStringLiteral("https://example.com/download")));
    button(QStringLiteral("update"), QJsonObject());
    button(QStringLiteral("lotteryPage"), QJsonObject());   // a popup button only
    post(*r, QStringLiteral("closePage"), QJsonValue());

    EXPECT_EQ(host.calls, (QStringList{QStringLiteral("close"), QStringLiteral("close"),
                                       QStringLiteral("open https://example.com/a?b=1"), QStringLiteral("tab 3"),
                                       QStringLiteral("tab 1"), QStringLiteral("open mailto:help@example.com"),
                                       QStringLiteral("open https://example.com/download"), QStringLiteral("close")}));
}

TEST_F(RouterTest, PopupButtonsAndLinks)
{
    auto r = router(Kind::Popup);
    auto button = [&](const QString &type, const QJsonObject &params) {
        post(*r, QStringLiteral("button"), text(QJsonObject{{QStringLiteral("type"), type}, {QStringLiteral("params"), params}}));
    };
    button(QStringLiteral("jump"), QJsonObject{{QStringLiteral("url"), QStringLiteral("marlet://newsList")}});
    button(QStringLiteral("lotteryPage"), QJsonObject());
    button(QStringLiteral("update"), QJsonObject{{QStringLiteral("url"), QStringLiteral("https://example.com/a.deb")}});
    button(QStringLiteral("update"), QJsonObject{{QStringLiteral("url"), QStringLiteral("http://example.com/a.deb")},
                                                 {QStringLiteral("version"), QStringLiteral("9")}});
    button(QStringLiteral("update"), QJsonObject{{QStringLiteral("url"), QStringLiteral("https://example.com/a.deb")},
                                                 {QStringLiteral("version"), QStringLiteral("9.9")}});
    post(*r, QStringLiteral("jumpAction"), text(QJsonObject{{QStringLiteral("type"), QStringLiteral("close")}}));
    post(*r, QStringLiteral("openUrl"), text(QJsonObject{{QStringLiteral("url"), QStringLiteral("https://x")}}));

    EXPECT_EQ(host.calls, (QStringList{QStringLiteral("jump newsList"), QStringLiteral("close"),
                                       QStringLiteral("jump lotteryPage"),
                                       QStringLiteral("upgrade https://example.com/a.deb 9.9"), QStringLiteral("close"),
                                       QStringLiteral("close")}));
}

TEST_F(RouterTest, EventsImagesAndShare)
{
    auto r = router(Kind::PageController);
    post(*r, QStringLiteral("trackEvent"), text(QJsonObject{{QStringLiteral("event"), QStringLiteral("buy_click")}}));
    post(*r, QStringLiteral("trackEvent"), text(QJsonObject{{QStringLiteral("event"), 3}}));
    EXPECT_EQ(events, QStringList{QStringLiteral("buy_click")});

    const QString png = QStringLiteral("data:image/png;base64,") + QString::fromLatin1(QByteArray(40, 'x').toBase64());
    post(*r, QStringLiteral("saveImg"), text(QJsonObject{{QStringLiteral("img"), png}}));
    post(*r, QStringLiteral("saveImg"), text(QJsonObject{{QStringLiteral("img"), QStringLiteral("no-comma-here")}}));
    post(*r, QStringLiteral("saveImg"), text(QJsonObject{{QStringLiteral("img"), QStringLiteral("data:x,@@@not base64")}}));
    post(*r, QStringLiteral("share"), text(QJsonObject{{QStringLiteral("title"), QStringLiteral("t")}, {QStringLiteral("url"), QStringLiteral("u")}}));
    post(*r, QStringLiteral("saveCacheData"), QStringLiteral("anything"));
    post(*r, QStringLiteral("getAllCacheData"), QJsonValue());
    EXPECT_EQ(host.calls, QStringList{QStringLiteral("save 40")});
}

TEST_F(RouterTest, RepliesOutliveNothing)
{
    // A router that goes away before its turn comes delivers nothing (and does not crash).
    auto r = router(Kind::PageController);
    int delivered = 0;
    QObject::connect(r.get(), &ScriptMessageRouter::replyReady, [&] { ++delivered; });
    r->receive(QStringLiteral("getUserInfo"), QJsonValue(), localPage);
    r.reset();
    QCoreApplication::processEvents();
    EXPECT_EQ(delivered, 0);
}

TEST(InitialData, OnlyJsonIsInjected)
{
    EXPECT_EQ(OOWebCommon::initialDataScript(QJsonObject{{QStringLiteral("needBack"), true}}),
              QStringLiteral("window.initializeData = {\"needBack\":true}"));
    EXPECT_EQ(OOWebCommon::initialDataScriptFromText(QStringLiteral(" { \"a\" : [1] } ")).value_or(QString()),
              QStringLiteral("window.initializeData = {\"a\":[1]}"));
    EXPECT_FALSE(OOWebCommon::initialDataScriptFromText(QString()));
    EXPECT_FALSE(OOWebCommon::initialDataScriptFromText(QStringLiteral("1;alert(document.cookie)")));
}

TEST(AnJSregisterTest, UnsetNamesReadAsThemselves)
{
    AnJSregister &registry = AnJSregister::shareinstance();
    EXPECT_EQ(AnJSregister::names().size(), 28);
    EXPECT_EQ(registry.value(QStringLiteral("startVPN")).value_or(QString()), QStringLiteral("startVPN"));
    EXPECT_TRUE(registry.setValue(QStringLiteral("user_logout"), QStringLiteral("bye")));
    EXPECT_EQ(registry.value(QStringLiteral("user_logout")).value_or(QString()), QStringLiteral("bye"));
    EXPECT_FALSE(registry.value(QStringLiteral("nope")));
    EXPECT_FALSE(registry.setValue(QStringLiteral("nope"), QStringLiteral("x")));
    registry.setValue(QStringLiteral("user_logout"), QStringLiteral("user_logout"));
}
