// The "update" button of a full-screen page opens the service's download page in the browser;
// the notice popup's "update" stays the upgrade window's. Real pages through Qt WebEngine.
#include <QWebEngineProfile>

#include <gtest/gtest.h>

#include "networking/OOHostSafeAdpter.h"
#include "support/WebTestDisplay.h"
#include "web/ScriptMessageWebPage.h"
#include "webcore/ScriptMessageHost.h"

namespace {

// Without a display the program runs itself again under xvfb-run, before main.
const bool kUnderDisplay = WebTestDisplay::ensure();

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

} // namespace

TEST(ProductPageButtonTest, AFullScreenPageOpensTheDownloadPageOnTheServiceHost)
{
    ASSERT_TRUE(kUnderDisplay);
    RecordingHost host;
    ScriptMessageWebPage page(ScriptMessageRouter::HostKind::PageController, &host);
    page.router()->handleButtonAction(QStringLiteral("update"), std::nullopt);
    const QString expected = OOHostSafeAdpter::shared().currentDomain() + QStringLiteral("/download");
    EXPECT_EQ(host.calls, QStringList{QStringLiteral("open ") + expected});

    // The popup's "update" without its url and version opens nothing at all.
    RecordingHost popupHost;
    ScriptMessageWebPage popup(ScriptMessageRouter::HostKind::Popup, &popupHost);
    popup.router()->handleButtonAction(QStringLiteral("update"), std::nullopt);
    EXPECT_TRUE(popupHost.calls.isEmpty()) << popupHost.calls.join(QLatin1Char('|')).toStdString();
}
