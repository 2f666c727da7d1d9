// Pictures of the local pages as Chromium draws them: the purchase and download pages and the
// invitation, discovery and lottery pages, each talking through the bridge to a stand-in service
// that the gallery starts for them (a visitor signed in), taken once the page shows its data.
#include "GalleryScene.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPalette>
#include <QPointer>
#include <QProcess>
#include <QTextStream>
#include <QTimer>

#include <vector>

#include "common/AppPaths.h"
#include "networking/OOHostSafeAdpter.h"
#include "networking/OONetWorkTool.h"
#include "settings/pages/NBDiscoverViewController.h"
#include "settings/pages/NBFreeViewController.h"
#include "settings/pages/NBInviteViewController.h"
#include "web/NBRetrieveViewController.h"
#include "web/NBUpgradeViewController.h"
#include "web/ScriptMessageWebPage.h"
#include "web/WebPageFailureView.h"
#include "web/unreached/WebViewSnapshot.h"

namespace {

constexpr int kServiceTimeoutMs = 15000;
constexpr int kPageTimeoutMs = 30000;

// The stand-in service for the page pictures: started on first use, the client pointed at it and
// a visitor signed in. Waiters hear once whether that worked; a page without it shows its
// failure state, which is a picture too.
class GalleryService : public QObject
{
public:
    static GalleryService &instance()
    {
        static QPointer<GalleryService> service;
        if (!service)
            service = new GalleryService(QCoreApplication::instance());
        return *service;
    }

    void whenReady(std::function<void(bool)> waiter)
    {
        if (m_state == State::Ready || m_state == State::Failed) {
            QTimer::singleShot(0, this, [this, waiter] { waiter(m_state == State::Ready); });
            return;
        }
        m_waiters.push_back(std::move(waiter));
        if (m_state == State::Idle)
            start();
    }

private:
    enum class State { Idle, Starting, Ready, Failed };

    explicit GalleryService(QObject *parent)
        : QObject(parent)
        , m_process(new QProcess(this))
    {
    }

    ~GalleryService() override
    {
        // The gallery ends without an event loop to hear the service go: end it here.
        if (m_process->state() == QProcess::NotRunning)
            return;
        m_process->terminate();
        if (!m_process->waitForFinished(3000))
            m_process->kill();
        m_process->waitForFinished(3000);
    }

    void start()
    {
        m_state = State::Starting;
        QTimer::singleShot(kServiceTimeoutMs, this, [this] { finish(false); });
        connect(m_process, &QProcess::readyReadStandardOutput, this, [this] {
            m_output += m_process->readAllStandardOutput();
            const int end = m_output.indexOf('\n');
            if (end < 0 || m_state != State::Starting || m_port > 0)
                return;
            const QByteArray line = m_output.left(end).trimmed();
            m_port = line.startsWith("listening ") ? line.mid(10).toInt() : 0;
            if (m_port <= 0) {
                finish(false);
                return;
            }
            signIn();
        });
        connect(m_process, &QProcess::errorOccurred, this, [this] { finish(false); });
        m_process->setProcessChannelMode(QProcess::SeparateChannels);
        m_process->start(QCoreApplication::applicationDirPath() + QStringLiteral("/ostrel-standin"),
                         {QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--resources"), AppPaths::resourceFolder()});
    }

    void signIn()
    {
        AppPaths::ensureFolder(AppPaths::configFolder());
        QFile hosts(AppPaths::configFolder() + QStringLiteral("/hosts.json"));
        const QJsonObject list{{QStringLiteral("hosts"), QJsonArray{QStringLiteral("http://127.0.0.1:%1").arg(m_port)}}};
        if (!hosts.open(QIODevice::WriteOnly | QIODevice::Truncate) || hosts.write(QJsonDocument(list).toJson()) < 0) {
            finish(false);
            return;
        }
        hosts.close();
        // Earlier scenes may have asked the default hosts already.
        OOHostSafeAdpter::shared().resetForTesting();
        QPointer<GalleryService> self(this);
        OONetWorkTool::login([self](std::optional<QString> error) {
            if (self)
                self->finish(!error.has_value());
        });
    }

    void finish(bool ready)
    {
        if (m_state != State::Starting)
            return;
        m_state = ready ? State::Ready : State::Failed;
        if (!ready)
            QTextStream(stderr) << "gallery: no stand-in service for the page pictures\n";
        std::vector<std::function<void(bool)>> waiters;
        waiters.swap(m_waiters);
        for (const auto &waiter : waiters)
            waiter(ready);
    }

    QProcess *m_process;
    QByteArray m_output;
    int m_port = 0;
    State m_state = State::Idle;
    std::vector<std::function<void(bool)>> m_waiters;
};

// The screen on the dark content background of the main window, shown once the service is up,
// pictured once `ready` holds in its page.
QWidget *pageScene(NBBaseWebViewController *screen, const QString &ready)
{
    auto *host = new QWidget;
    host->resize(728, 500);
    QPalette palette = host->palette();
    palette.setColor(QPalette::Window, QColor(16, 17, 27));
    host->setPalette(palette);
    host->setAutoFillBackground(true);
    screen->setParent(host);
    screen->setGeometry(0, 0, 728, 500);
    // A new parent hides a widget; Chromium then paints nothing.
    screen->show();
    QPointer<QWidget> guardHost(host);
    QPointer<NBBaseWebViewController> guardScreen(screen);
    setGalleryPictureSource(host, [guardHost, guardScreen, ready](GalleryPictureDone done) {
        GalleryService::instance().whenReady([guardHost, guardScreen, ready, done](bool) {
            if (!guardHost || !guardScreen) {
                done(QImage());
                return;
            }
            NBBaseViewController::setAppearing(guardScreen, true);
            WebViewSnapshot::capture(guardHost, guardScreen->page(), {ready, kPageTimeoutMs}, nullptr, done);
        });
    });
    return host;
}

} // namespace

OSTREL_GALLERY_SCENE("web/purchase_page", 728, 500)
{
    return pageScene(new NBUpgradeViewController, QStringLiteral("document.body.dataset.products && document.body.dataset.userInfo"));
}

OSTREL_GALLERY_SCENE("web/download_page", 728, 500)
{
    return pageScene(new NBRetrieveViewController, QStringLiteral("document.body.dataset.versions"));
}

OSTREL_GALLERY_SCENE("web/invite_page", 728, 500)
{
    return pageScene(new NBInviteViewController, QStringLiteral("document.body.dataset.invite"));
}

OSTREL_GALLERY_SCENE("web/discover_page", 728, 500)
{
    return pageScene(new NBDiscoverViewController, QStringLiteral("document.body.dataset.sites"));
}

OSTREL_GALLERY_SCENE("web/lottery_page", 728, 500)
{
    return pageScene(new NBFreeViewController, QStringLiteral("document.body.dataset.lottery"));
}

OSTREL_GALLERY_SCENE("web/lottery_page_won", 728, 500)
{
    // Presses "抽奖" once the prizes are in (the button is disabled from then on, so later polls
    // press nothing) and waits for the wheel to stop on the prize.
    return pageScene(new NBFreeViewController,
                     QStringLiteral("document.body.dataset.lottery === 'ready'"
                                    " && (document.body.dataset.won || (document.getElementById('draw').click(), false))"));
}

OSTREL_GALLERY_SCENE("web/page_failure", 728, 500)
{
    // What a page presented over another screen shows when it cannot show.
    auto *failure = new WebPageFailureView;
    failure->setClosable(true);
    return failure;
}
