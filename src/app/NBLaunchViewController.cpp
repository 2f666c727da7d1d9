#include "app/NBLaunchViewController.h"

#include <QDebug>
#include <QTimer>

#include "app/OONoNetworkPopupView.h"
#include "uikit/OOLoadingView.h"
#include "common/Localization.h"
#include "networking/OOHostSafeAdpter.h"
#include "networking/OOReachability.h"
#include "app/AppLog.h"

NBLaunchViewController::NBLaunchViewController(QWidget *parent)
    : NBBaseViewController(parent)
    , m_pollingStarter([](std::function<void()> done) {
        return OOHostSafeAdpter::shared().startPollingRoundIfIdle(std::move(done));
    })
{
    resize(800, 500);
}

NBLaunchViewController::~NBLaunchViewController()
{
    // Only this screen's own listening ends (with its connection); the application keeps its own.
    qCDebug(lcApp).noquote() << "NBLaunchViewController deinit";
}

void NBLaunchViewController::viewDidLoad()
{
    NBBaseViewController::viewDidLoad();
    startReachability();
}

void NBLaunchViewController::startReachability()
{
    OOReachability &reachability = OOReachability::shared();
    connect(&reachability, &OOReachability::statusChanged, this, &NBLaunchViewController::reachabilityReport);
    // The application starts listening at start-up, so a screen made later would never hear the
    // first state: it gets the current one, from the event loop like any report.
    if (reachability.hasReported()) {
        QPointer<NBLaunchViewController> self(this);
        QTimer::singleShot(0, this, [self] {
            if (self)
                self->reachabilityReport(OOReachability::shared().status());
        });
    }
    reachability.start();
}

void NBLaunchViewController::reachabilityReport(OOReachability::Status status)
{
    qCDebug(lcApp).noquote() << "网络状态: " + OOReachability::statusName(status);
    onReachability(status == OOReachability::Status::NotReachable);
}

void NBLaunchViewController::onReachability(bool notReachable)
{
    if (notReachable) {
        if (m_hud)
            m_hud->closeOverlay();
        m_hud = nullptr;
        showNoNetwork(localizedByAppLanguage(QStringLiteral("NO_NET_TITLE")));
        return;
    }
    // Only the popup this screen showed goes; one shown by another part stays.
    if (m_noNetworkView) {
        m_noNetworkView->closeOverlay();
        m_noNetworkView = nullptr;
    }
    // One cover at a time, however many reports come.
    if (!m_hud)
        m_hud = OOLoadingView::cover(this);
    QPointer<NBLaunchViewController> self(this);
    if (m_pollingStarter) {
        m_pollingStarter([self] {
            if (self)
                Q_EMIT self->hostFound();
        });
    }
}

void NBLaunchViewController::showNoNetwork(const QString &text)
{
    if (OONoNetworkPopupView::isShown())
        return;
    m_noNetworkView = OONoNetworkPopupView::showNoNetwork(text);
}
