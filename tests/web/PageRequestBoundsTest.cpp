// The purchase page's own request to the service, in real Chromium against the stand-in: a reply
// that never ends (plain or gzip-encoded) or one that trickles past the deadline ends at the
// bounds of the client's own requests, the page shows why, and it still works afterwards.
// Without a display the program runs itself again under xvfb-run (WebTestDisplay).
#include <QJsonObject>
#include <QScopeGuard>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>

#include <gtest/gtest.h>

#include <memory>

#include "app/NBMainWindowController.h"
#include "common/ApiPaths.h"
#include "networking/OONetWork.h"
#include "support/NetworkTestSupport.h"
#include "support/StandinProcess.h"
#include "support/WebPageScript.h"
#include "support/WebViewsFixture.h"
#include "uikit/NBPresentationAnimator.h"
#include "web/NBUpgradeViewController.h"
#include "web/ScriptMessageWebPage.h"

namespace {

using PageRequestBoundsTest = WebViewsFixture;

// Counts, in each document, what the page's stream readers were handed: what the page read of a
// reply, and the last piece of it.
const QString kReadCounter = QStringLiteral(R"JS((function () {
  var read = ReadableStreamDefaultReader.prototype.read;
  window.__bytesRead = 0;
  window.__lastPiece = 0;
  ReadableStreamDefaultReader.prototype.read = function () {
    return read.apply(this, arguments).then(function (step) {
      if (step && step.value && step.value.byteLength) {
        window.__bytesRead += step.value.byteLength;
        window.__lastPiece = step.value.byteLength;
      }
      return step;
    });
  };
})();)JS");

void countReads(QWebEnginePage *page)
{
    QWebEngineScript script;
    script.setName(QStringLiteral("read-counter"));
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(QWebEngineScript::MainWorld);
    script.setSourceCode(kReadCounter);
    page->scripts().insert(script);
}

TEST_F(PageRequestBoundsTest, ThePurchasePagesOwnRequestEndsAtTheClientsBoundsAndThePageStaysUsable)
{
    StandinProcess standin;
    ASSERT_TRUE(standin.start({QStringLiteral("--resources"), QStringLiteral(OSTREL_SOURCE_DIR "/resources")}))
        << standin.errorText().toStdString();
    ASSERT_TRUE(pointClientAt({standin.baseUrl()}));
    // The client's request deadline, shortened as its own requests' are in tests; a page takes the
    // bounds when it is made.
    OONetWork::shared().setDeadlinesForTesting(2000, 2000);
    const auto restore = qScopeGuard([] { OONetWork::shared().resetForTesting(); });
    const auto streams = [&] { return standin.records().value(QStringLiteral("streams")).toObject(); };

    NBMainWindowController window;
    auto *shown = new NBUpgradeViewController;
    NBUpgradeViewController &screen = *shown;
    window.show();
    QWebEnginePage *page = screen.page();
    countReads(page);
    // Each time the page appears it loads again and asks the service for its products.
    bool first = true;
    const auto appear = [&] {
        if (first) {
            first = false;
            window.setContentViewController(shown);
            return;
        }
        evaluate(page, QStringLiteral("window.earlierDocument = true"));
        auto made = std::make_unique<NBBaseViewController>();
        NBBaseViewController *cover = made.get();
        ASSERT_TRUE(screen.presentViewController(std::move(made), new NBPresentationAnimator(cover, &screen)));
        cover->dismissAction();
    };

    // A body that never ends, as sent and gzip-encoded (small on the wire), and one that trickles
    // past the deadline: each request ends, the page says why, and the service is hung up on.
    const QList<std::pair<QString, QString>> faults{{QStringLiteral("endless"), QStringLiteral("回复过大")},
                                                    {QStringLiteral("endless_gzip"), QStringLiteral("回复过大")},
                                                    {QStringLiteral("trickle"), QStringLiteral("请求超时")}};
    for (const auto &[kind, shownText] : faults) {
        SCOPED_TRACE(kind.toStdString());
        const int stoppedBefore = streams().value(QStringLiteral("stopped")).toInt();
        ASSERT_TRUE(standin.fault(ApiPaths::kProducts, kind, 1, kind == QLatin1String("trickle") ? 50 : 0));
        appear();
        ASSERT_TRUE(waitInPage(page, QStringLiteral("!window.earlierDocument && document.body.dataset.products === 'failed'"), 60000))
            << evaluate(page, QStringLiteral("document.body.innerText")).toString().toStdString();
        EXPECT_TRUE(evaluate(page, QStringLiteral("document.getElementById('status').textContent")).toString().contains(shownText))
            << evaluate(page, QStringLiteral("document.getElementById('status').textContent")).toString().toStdString();
        // The page read no more than the bound and the piece that crossed it, however much the
        // service got onto the wire before the hang-up reached it.
        const qint64 read = evaluate(page, QStringLiteral("window.__bytesRead")).toLongLong();
        const qint64 lastPiece = evaluate(page, QStringLiteral("window.__lastPiece")).toLongLong();
        EXPECT_LE(read - lastPiece, OONetWork::MaxResponseBytes);
        if (kind != QLatin1String("trickle")) {
            EXPECT_GT(read, OONetWork::MaxResponseBytes);
        }
        ASSERT_TRUE(QTest::qWaitFor([&] { return streams().value(QStringLiteral("stopped")).toInt() > stoppedBefore; }, 20000));
    }

    // The page still works: shown again with the service well, it reads its products.
    appear();
    ASSERT_TRUE(waitInPage(page, QStringLiteral("!window.earlierDocument && document.body.dataset.products && document.body.dataset.userInfo")));
    EXPECT_GT(evaluate(page, QStringLiteral("document.body.dataset.products")).toString().toInt(), 0);
}

} // namespace
