// The page-side shim, run in a real JavaScript engine (node, when installed) with a stand-in
// channel: only the host's names exist, early messages wait for the channel and keep their order,
// bodies pass unchanged. And the channel object that hands messages to the router.
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "common/AppPaths.h"
#include "webcore/HHScriptMessageHandlerTarget.h"
#include "webcore/ScriptMessageRouter.h"
#include "webcore/ScriptMessageShim.h"
#include "support/WantedSkip.h"

TEST(ScriptMessageShim, EarlyMessagesWaitAndOnlyRegisteredNamesExist)
{
    const QString node = QStandardPaths::findExecutable(QStringLiteral("node"));
    if (node.isEmpty())
        GTEST_SKIP() << WantedSkip::tool("node is not installed");
    const QString shim = ScriptMessageShim::source(ScriptMessageRouter::registeredNames(ScriptMessageRouter::HostKind::Popup),
                                                   {33554432, 1500});
    const QString script = QStringLiteral(R"JS(
var window = globalThis;
var posted = [];
var clickHandler = null;
globalThis.document = { addEventListener: function (type, handler) { if (type === 'click') { clickHandler = handler; } } };
function click(href, prevented) {
  var event = { defaultPrevented: !!prevented, prevent: 0, preventDefault: function () { this.prevent++; },
                target: { closest: function () { return href === null ? null : { getAttribute: function () { return href; } }; } } };
  clickHandler(event);
  return event.prevent;
}
%1
var clicks = [click(' marlet://newsList '), click('https://example.com/'), click(null), click('MARLET://linkBuy'),
              click('marlet://lotteryPage', true)];
var h = window.webkit.messageHandlers;
var out = [typeof h.getProducts, typeof h.closePage, typeof h.getUserInfo];
// The bounds the page's own requests keep, and no page script can widen them.
var bounds = window.__ostrelRequestBounds;
try { bounds.maxBytes = 1e12; } catch (e) {}
window.__ostrelRequestBounds = { maxBytes: 1e12, deadlineMs: 1e9 };
out.push([window.__ostrelRequestBounds.maxBytes, window.__ostrelRequestBounds.deadlineMs]);
h.getUserInfo.postMessage('');
h.encryptString.postMessage('{"id":"1"}');
h.button.postMessage({ type: 'close' });
h.jumpAction.postMessage();
globalThis.QWebChannel = function (transport, ready) {
  setTimeout(function () {
    ready({ objects: { nativeBridge: {
      postMessage: function (n, b, t) { posted.push([n, b, t === window.__ostrelDocument && t.length === 32]); },
      followLink: function (href, t) { posted.push(['link', href, t === window.__ostrelDocument]); } } } });
    window.__ostrelDocument = 'changed';
    out.push(window.__ostrelDocument !== 'changed');
    h.trackEvent.postMessage('{"event":"x"}');
    out.push(posted);
    out.push(clicks);
    console.log(JSON.stringify(out));
  }, 0);
};
globalThis.qt = { webChannelTransport: {} };
)JS").arg(shim);
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("shim.js")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(script.toUtf8());
    file.close();
    QProcess process;
    process.start(node, {file.fileName()});
    ASSERT_TRUE(process.waitForFinished(20000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    const QByteArray output = process.readAllStandardOutput().trimmed();
    EXPECT_EQ(QJsonDocument::fromJson(output).toJson(QJsonDocument::Compact),
              QByteArray(R"(["undefined","undefined","object",[33554432,1500],true,[["link","marlet://newsList",true],)"
                         R"(["link","MARLET://linkBuy",true],["getUserInfo","",true],)"
                         R"(["encryptString","{\"id\":\"1\"}",true],["button",{"type":"close"},true],)"
                         R"(["jumpAction",null,true],["trackEvent","{\"event\":\"x\"}",true]],[1,0,0,1,0]])"))
        << output.toStdString();
}

TEST(HHScriptMessageHandlerTarget, ForwardsWithTheViewsUrlWhileTheRouterLives)
{
    const QString page = AppPaths::pageFolder() + QStringLiteral("/shim/index.html");
    QDir().mkpath(QFileInfo(page).absolutePath());
    QFile(page).open(QIODevice::WriteOnly);
    QUrl current = QUrl(QStringLiteral("https://example.com/"));
    auto router = std::make_unique<ScriptMessageRouter>(ScriptMessageRouter::HostKind::PageController, nullptr);
    QSignalSpy replies(router.get(), &ScriptMessageRouter::replyReady);
    HHScriptMessageHandlerTarget target(router.get(), [&] { return current; });

    target.postMessage(QStringLiteral("getUserInfo"), QJsonValue(), QString());
    QCoreApplication::processEvents();
    EXPECT_EQ(replies.count(), 0) << "a remote page gets nothing";
    current = QUrl::fromLocalFile(page);
    target.postMessage(QStringLiteral("getUserInfo"), QJsonValue(), QString());
    QCoreApplication::processEvents();
    EXPECT_EQ(replies.count(), 1);
    router.reset();
    target.postMessage(QStringLiteral("getUserInfo"), QJsonValue(), QString());   // dropped, no crash
}
