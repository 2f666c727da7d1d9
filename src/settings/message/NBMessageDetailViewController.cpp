#include "settings/message/NBMessageDetailViewController.h"

#include <QDebug>
#include <QJsonObject>
#include <QPainter>

#include "app/WebModule.h"
#include "app/WebViews.h"
#include "uikit/NBControllerView.h"
#include "uikit/NBPresentationAnimator.h"
#include "common/NotificationCenter.h"
#include "common/NotificationNames.h"
#include "settings/message/MessageDetailTemplate.h"
#include "settings/message/MessageLinkRouter.h"
#include "web/DesktopLinkOpener.h"
#include "settings/SettingsLog.h"

NBMessageDetailViewController::NBMessageDetailViewController(QWidget *parent)
    : NBBaseViewController(parent)
{
    setGeometry(QRect(QPoint(363, 0), NBControllerView::paneSize()));
}

void NBMessageDetailViewController::viewDidLoad()
{
    NBBaseViewController::viewDidLoad();
    setupView();
}

void NBMessageDetailViewController::setupView()
{
    // The web view (and with it the web engine) comes with the first message; until then the
    // pane is its background. It fills the pane whenever it exists (resizeEvent).
}

void NBMessageDetailViewController::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(22, 22, 22));
}

void NBMessageDetailViewController::resizeEvent(QResizeEvent *event)
{
    NBBaseViewController::resizeEvent(event);
    if (m_webView)
        m_webView->setGeometry(rect());
}

QWidget *NBMessageDetailViewController::webView()
{
    if (m_webView)
        return m_webView;
    ensureLoaded();
    if (m_webView)   // loading made it
        return m_webView;
    WebViews *views = WebModule::views();
    if (!views)
        return nullptr;
    QPointer<NBMessageDetailViewController> self(this);
    m_webView = views->makeMessageView(this, [self](const QUrl &url) {
        if (self)
            self->routeLink(url);
    });
    if (!m_webView)
        return nullptr;
    m_webView->setGeometry(rect());
    m_webView->show();
    return m_webView;
}

void NBMessageDetailViewController::loadMessage()
{
    if (!model)
        return;
    const std::optional<QString> templateText = MessageDetailTemplate::load();
    if (!templateText) {
        qCWarning(lcSettings) << "message template missing:" << MessageDetailTemplate::templatePath();
        return;
    }
    m_loadedHtml = MessageDetailTemplate::fill(*templateText, *model);
    if (QWidget *view = webView())
        WebModule::views()->showMessageHtml(view, m_loadedHtml);
    NotificationCenter::defaultCenter().post(NotificationNames::kRefreshMessageData);
}

void NBMessageDetailViewController::routeLink(const QUrl &url)
{
    switch (MessageLinkRouter::route(url)) {
    case MessageLinkRouter::Route::None:
        return;
    case MessageLinkRouter::Route::OpenPurchase:
        presentPurchasePage();
        return;
    case MessageLinkRouter::Route::OpenExternal:
        DesktopLinkOpener::open(url);
        return;
    }
}

void NBMessageDetailViewController::presentPurchasePage()
{
    NBBaseViewController *centre = parentViewController();
    if (!centre)
        return;
    WebViews *views = WebModule::views();
    if (!views)
        return;
    std::unique_ptr<NBBaseViewController> made(views->makePurchasePage(QJsonObject{{QStringLiteral("needBack"), true}}));
    made->resize(centre->size());
    auto *animator = new NBPresentationAnimator(made.get(), centre);
    if (NBBaseViewController *purchase = centre->presentViewController(std::move(made), animator))
        Q_EMIT purchasePagePresented(purchase);
}
