#pragma once

// What the web-view test programs share: the display and Chromium's set-up before main, a
// fixture that catches every road to the desktop, local pages written under the page root, and
// the web on loopback. Header-only: only programs that link WebEngine include it, one source
// file each.
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTcpServer>
#include <QTcpSocket>
#include <QWebEngineView>

#include <gtest/gtest.h>

#include "app/WebModule.h"
#include "common/AppPaths.h"
#include "support/DesktopCatcher.h"
#include "support/WebPageScript.h"
#include "support/TestZipBuilder.h"
#include "support/WebTestDisplay.h"
#include "web/DesktopLinkOpener.h"
#include "web/PopupUpgradeWindowHook.h"
#include "web/ScriptMessageWebPage.h"
#include "webcore/OOPageLoader.h"

namespace WebViewsSetUp {
// Without a display the program runs itself again under xvfb-run, before main. It links the pages,
// so it tells Chromium before it starts what the client's module loader would.
inline const bool kUnderDisplay = WebTestDisplay::ensure();
inline const bool kEngineEnvironment = [] {
    WebModule::prepareEngineEnvironment();
    return true;
}();
} // namespace WebViewsSetUp

// The web on loopback: answers a ".js" address with `script` (a CDN's), any other with `html` (a
// provider's page), and keeps what it was asked.
class LoopbackSite : public QObject
{
public:
    explicit LoopbackSite(QByteArray html, QByteArray script = {})
        : m_html(std::move(html))
        , m_script(std::move(script))
    {
        m_server.listen(QHostAddress::LocalHost);
        QObject::connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection()) {
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    const QByteArray head = socket->readAll();
                    const QByteArray line = head.left(head.indexOf('\r'));
                    requests << QString::fromUtf8(line);
                    const bool script = line.contains(".js ");
                    const QByteArray &body = script ? m_script : m_html;
                    socket->write("HTTP/1.1 200 OK\r\nContent-Type: " + QByteArray(script ? "text/javascript" : "text/html")
                                  + "\r\nConnection: close\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body);
                    socket->disconnectFromHost();
                });
                QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }
    QString url(const QString &path) const { return QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path); }
    QStringList requests;

private:
    QTcpServer m_server;
    QByteArray m_html;
    QByteArray m_script;
};

// A page controller's page in a shown view, as a full-screen page is held.
struct ShownPage
{
    QWebEngineView view;
    ScriptMessageWebPage *page = new ScriptMessageWebPage(ScriptMessageRouter::HostKind::PageController, nullptr, &view);

    ShownPage()
    {
        view.setPage(page);
        view.resize(400, 300);
        view.show();
    }
};

class WebViewsFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(WebViewsSetUp::kUnderDisplay) << "xvfb-run is needed to run the web views without a display";
        QDir(AppPaths::dataFolder()).removeRecursively();
        DesktopLinkOpener::setOpenerForTesting([this](const QUrl &url) { opened << url; });
        // Chromium's own road to the desktop for schemes it does not know ends here too.
        for (const char *scheme : kSchemes)
            QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), &desktopCatcher, "handle");
    }

    void TearDown() override
    {
        for (const char *scheme : kSchemes)
            QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
        DesktopLinkOpener::setOpenerForTesting({});
        PopupUpgradeWindowHook::setOpener({});
    }

    // Installs a test-made purchase package where the page-package update would put it.
    static void installPurchasePackage(const QByteArray &indexHtml)
    {
        AppPaths::ensureFolder(AppPaths::privateFolder(), true);
        ASSERT_TRUE(TestZipBuilder().addFile(QStringLiteral("index.html"), indexHtml)
                        .writeTo(OOPageLoader::localArchive(OOPageLoader::kPurchasePage)));
    }

    static constexpr const char *kSchemes[] = {"foo", "file", "http", "https", "mailto"};

    DesktopCatcher desktopCatcher;
    QList<QUrl> opened;
};
