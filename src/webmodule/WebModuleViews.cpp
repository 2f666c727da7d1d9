#include "webmodule/WebModuleViews.h"

#include <QPointer>
#include <QWebEngineView>

#include "settings/message/MessageDetailWebPage.h"
#include "web/NBUpgradeViewController.h"
#include "web/OOPopupWebProtocol.h"
#include "web/OOPopupWebView.h"
#include "web/WebViewRepaintWatch.h"

namespace {

// Hands the popup's destinations to whoever opened it; lives as long as the popup.
class JumpTarget : public QObject, public OOPopupWebProtocol
{
public:
    JumpTarget(std::function<void(const QString &)> jump, QObject *parent)
        : QObject(parent)
        , m_jump(std::move(jump))
    {
    }
    void handleJumpAction(const QString &destination) override
    {
        if (m_jump)
            m_jump(destination);
    }

private:
    std::function<void(const QString &)> m_jump;
};

} // namespace

QWidget *WebModuleViews::showNoticePopup(QWidget *host, const NoticePopup &popup)
{
    if (!host)
        return nullptr;
    auto *view = new OOPopupWebView(popup.frame, popup.json, host);
    view->setDelegate(new JumpTarget(popup.jump, view));
    view->closeBlock = popup.closed;
    view->load(popup.page);
    view->raise();
    view->show();
    return view;
}

QWidget *WebModuleViews::makeMessageView(QWidget *parent, std::function<void(const QUrl &)> linkClicked)
{
    auto *view = new QWebEngineView(parent);
    auto *page = new MessageDetailWebPage(view);
    view->setPage(page);
    WebViewRepaintWatch::attach(view);
    view->setContextMenuPolicy(Qt::NoContextMenu);
    QObject::connect(page, &MessageDetailWebPage::linkClicked, view, [linkClicked](const QUrl &url) {
        if (linkClicked)
            linkClicked(url);
    }, Qt::QueuedConnection);
    return view;
}

void WebModuleViews::showMessageHtml(QWidget *messageView, const QString &html)
{
    if (auto *view = qobject_cast<QWebEngineView *>(messageView))
        view->setHtml(html, QUrl());
}

NBBaseViewController *WebModuleViews::makePurchasePage(const QJsonObject &json)
{
    auto *purchase = new NBUpgradeViewController;
    purchase->json = json;
    return purchase;
}
