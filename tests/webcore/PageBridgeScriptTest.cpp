// The pages' own bridge script (resources/pages/common/bridge.js), run in a real JavaScript engine
// (node, when installed) with a stand-in native side: a request to the service ends at the page's
// deadline whichever step hangs, the encryption asked of native code included.
#include <QFile>
#include <QJsonDocument>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "support/WantedSkip.h"

namespace {

// Runs `test` after bridge.js in node; what it prints.
QByteArray runInNode(const QString &test)
{
    const QString node = QStandardPaths::findExecutable(QStringLiteral("node"));
    QFile bridge(QStringLiteral(OSTREL_SOURCE_DIR "/resources/pages/common/bridge.js"));
    if (!bridge.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "bridge.js is missing";
        return {};
    }
    const QString prelude = QStringLiteral(R"JS(
var window = globalThis;
var posted = [];
var fetches = 0;
// Native code that takes every message and answers none, unless the test answers.
window.webkit = { messageHandlers: {
  encryptString: { postMessage: function (body) { posted.push(JSON.parse(body)); } },
  decryptString: { postMessage: function (body) { posted.push(JSON.parse(body)); } } } };
window.__ostrelRequestBounds = { maxBytes: 1024, deadlineMs: 100 };
globalThis.fetch = function (url, init) {
  fetches++;
  return init.signal.aborted ? Promise.reject(new Error('aborted')) : new Promise(function () {});
};
)JS");
    QTemporaryDir dir;
    QFile script(dir.filePath(QStringLiteral("bridge-test.js")));
    if (!script.open(QIODevice::WriteOnly))
        return {};
    script.write(prelude.toUtf8() + bridge.readAll() + test.toUtf8());
    script.close();
    QProcess process;
    process.start(node, {script.fileName()});
    if (!process.waitForFinished(20000))
        return {};
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    return process.readAllStandardOutput().trimmed();
}

TEST(PageBridgeScript, TheDeadlineEndsARequestWhoseEncryptionIsNeverOrLateAnswered)
{
    if (QStandardPaths::findExecutable(QStringLiteral("node")).isEmpty())
        GTEST_SKIP() << WantedSkip::tool("node is not installed");
    // Never answered: the page hears "请求超时" at its deadline instead of waiting for ever.
    const QByteArray never = runInNode(QStringLiteral(R"JS(
NativeBridge.api('GET', '/api/products', {}).then(function () { console.log(JSON.stringify(['answered'])); },
  function (error) { console.log(JSON.stringify([error.message, posted.length, fetches])); });
)JS"));
    EXPECT_EQ(never, QByteArray(R"(["请求超时",1,0])"));

    // Answered after the deadline: the request stays ended and nothing goes out.
    const QByteArray late = runInNode(QStringLiteral(R"JS(
var outcome = null;
NativeBridge.api('GET', '/api/products', {}).then(function () { outcome = 'answered'; },
  function (error) { outcome = error.message; });
setTimeout(function () {
  window.__$$$_native_call_ios.encryptStringCallback({ id: posted[0].id, data: { url: 'http://127.0.0.1:1/x', headers: {}, body: {} } });
  setTimeout(function () { console.log(JSON.stringify([outcome, fetches])); }, 50);
}, 300);
)JS"));
    EXPECT_EQ(late, QByteArray(R"(["请求超时",0])"));
}

} // namespace
