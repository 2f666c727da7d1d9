// The purchase page's own request to the service, in real Chromium against the stand-in: a reply
// that never ends (plain or gzip-encoded) ends at the size bound of the client's own requests,
// one that trickles ends at their deadline, the page shows why, and it still works afterwards.
// Without a display the program runs itself again under xvfb-run (WebTestDisplay).
#include <QJsonObject>
#include <QScopeGuard>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>

#include <gtest/gtest.h>

#include <algorithm>
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

// A fault of the products path and what the page then says.
struct Fault
{
    QString kind;
    QString shownText;
};

// Each fault meets the bound it was made for and no other. The deadline covers the page's whole
// request: its ask for the seal (held until the page has loaded), the reply and its decryption.
// A page made with a deadline of 2 s ended an endless body at the deadline wherever the machine
// was too busy to load the page and read the size bound's worth in time, and the well request
// after the faults too. So the size bound is met under a deadline no busy machine reaches first,
// and the deadline by a trickle that lasts four times as long and never comes near the size bound,
// under one that leaves a well request ample time.
class PageRequestBoundsTest : public WebViewsFixture
{
protected:
    // Shows the purchase page, made with the client's request deadline set to `deadlineMs`, and
    // has it meet each fault in turn: each request ends, the page says why, and the service is
    // hung up on. Then, shown again with the service well, it reads its products.
    void meetFaults(int deadlineMs, const QList<Fault> &faults)
    {
        StandinProcess standin;
        ASSERT_TRUE(standin.start({QStringLiteral("--resources"), QStringLiteral(OSTREL_SOURCE_DIR "/resources")}))
            << standin.errorText().toStdString();
        ASSERT_TRUE(pointClientAt({standin.baseUrl()}));
        // A page takes the bounds when it is made.
        OONetWork::shared().setDeadlinesForTesting(deadlineMs, deadlineMs);
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

        for (const Fault &fault : faults) {
            SCOPED_TRACE(fault.kind.toStdString());
            const int stoppedBefore = streams().value(QStringLiteral("stopped")).toInt();
            const bool trickle = fault.kind == QLatin1String("trickle");
            ASSERT_TRUE(standin.fault(ApiPaths::kProducts, fault.kind, 1, trickle ? 50 : 0));
            appear();
            ASSERT_TRUE(waitInPage(page, QStringLiteral("!window.earlierDocument && document.body.dataset.products === 'failed'"),
                                   std::min(deadlineMs, 60000) + 60000))
                << evaluate(page, QStringLiteral("document.body.innerText")).toString().toStdString();
            EXPECT_TRUE(evaluate(page, QStringLiteral("document.getElementById('status').textContent")).toString().contains(fault.shownText))
                << evaluate(page, QStringLiteral("document.getElementById('status').textContent")).toString().toStdString();
            // The page read no more than the bound and the piece that crossed it, however much
            // the service got onto the wire before the hang-up reached it.
            const qint64 read = evaluate(page, QStringLiteral("window.__bytesRead")).toLongLong();
            const qint64 lastPiece = evaluate(page, QStringLiteral("window.__lastPiece")).toLongLong();
            EXPECT_LE(read - lastPiece, OONetWork::MaxResponseBytes);
            if (!trickle) {
                EXPECT_GT(read, OONetWork::MaxResponseBytes);
            }
            ASSERT_TRUE(QTest::qWaitFor([&] { return streams().value(QStringLiteral("stopped")).toInt() > stoppedBefore; }, 20000));
        }

        // The page still works: shown again with the service well, it reads its products.
        appear();
        ASSERT_TRUE(waitInPage(page, QStringLiteral("!window.earlierDocument && document.body.dataset.products && document.body.dataset.userInfo")));
        EXPECT_GT(evaluate(page, QStringLiteral("document.body.dataset.products")).toString().toInt(), 0);
    }
};

// A body that never ends, as sent and gzip-encoded (small on the wire), under a deadline no busy
// machine reaches before the size bound.
TEST_F(PageRequestBoundsTest, AnEndlessReplyEndsAtTheSizeBoundAndThePageStaysUsable)
{
    meetFaults(10 * 60 * 1000, {{QStringLiteral("endless"), QStringLiteral("回复过大")},
                                {QStringLiteral("endless_gzip"), QStringLiteral("回复过大")}});
}

// One that trickles a byte every 50 ms for a minute, far from the size bound, past a deadline of a
// quarter of that.
TEST_F(PageRequestBoundsTest, ATrickleEndsAtTheDeadlineAndThePageStaysUsable)
{
    meetFaults(15000, {{QStringLiteral("trickle"), QStringLiteral("请求超时")}});
}

} // namespace
