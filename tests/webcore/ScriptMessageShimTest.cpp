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

TEST(ScriptMessageShim, EarlyMessagesWaitAndOnlyRegisteredNamesExist)
{
    const QString node = QStandardPaths::findExecutable(QStringLiteral("node"));
    if (node.isEmpty())
        GTEST_SKIP() << "node is not installed";
    const QString shim = ScriptMessageShim::source(ScriptMessageRouter::registeredNames(ScriptMessageRouter::HostKind::Popup));
    const QString script = QStringLiteral(R"JS(
var window = globalThis;
var posted = [];
%1
var h = window.webkit.messageHandlers;
var out = [typeof h.getProducts, typeof h.closePage, typeof h.getUserInfo];
h.getUserInfo.postMessage('');
h.encryptString.postMessage('{"id":"1"}');
h.button.postMessage({ type: 'close' });
h.jumpAction.postMessage();
globalThis.QWebChannel = function (transport, ready) {
  setTimeout(function () {
    ready({ objects: { nativeBridge: { postMessage: function (n, b) { posted.push([n, b]); } } } });
    h.trackEvent.postMessage('{"event":"x"}');
    out.push(posted);
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
              QByteArray(R"(["undefined","undefined","object",[["getUserInfo",""],["encryptString","{\"id\":\"1\"}"],)"
                         R"(["button",{"type":"close"}],["jumpAction",null],["trackEvent","{\"event\":\"x\"}"]]])"))
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

    target.postMessage(QStringLiteral("getUserInfo"), QJsonValue());
    QCoreApplication::processEvents();
    EXPECT_EQ(replies.count(), 0) << "a remote page gets nothing";
    current = QUrl::fromLocalFile(page);
    target.postMessage(QStringLiteral("getUserInfo"), QJsonValue());
    QCoreApplication::processEvents();
    EXPECT_EQ(replies.count(), 1);
    router.reset();
    target.postMessage(QStringLiteral("getUserInfo"), QJsonValue());   // dropped, no crash
}
