#include "home/NoticePopupPresenter.h"

#include <QPointer>
#include <QUrl>

#include "uikit/WindowInUse.h"
#include "home/NBHomeViewController.h"

#if __has_include("web/OOPopupWebView.h")
#define OSTREL_HOME_HAS_POPUP_WEB_VIEW 1
#include "web/OOPopupWebProtocol.h"
#include "web/OOPopupWebView.h"

namespace {
// Hands the popup's destinations to the home screen while both live.
class HomeJumpTarget : public QObject, public OOPopupWebProtocol
{
public:
    HomeJumpTarget(NBHomeViewController *home, QObject *parent)
        : QObject(parent)
        , m_home(home)
    {
    }
    void handleJumpAction(const QString &destination) override
    {
        if (m_home)
            m_home->handleJumpAction(destination);
    }

private:
    QPointer<NBHomeViewController> m_home;
};
} // namespace
#endif

bool NoticePopupPresenter::available()
{
#ifdef OSTREL_HOME_HAS_POPUP_WEB_VIEW
    return true;
#else
    return false;
#endif
}

NoticeChain::Presenter NoticePopupPresenter::present(NBHomeViewController *home)
{
    QPointer<NBHomeViewController> weakHome(home);
    return [weakHome](const NoticeChain::Page &page, std::function<void()> closed) -> bool {
#ifdef OSTREL_HOME_HAS_POPUP_WEB_VIEW
        QWidget *host = WindowInUse::contentWidget();
        if (!host || !weakHome)
            return false;
        auto *popup = new OOPopupWebView(page.frame, page.json, host);
        auto *target = new HomeJumpTarget(weakHome, popup);
        popup->setDelegate(target);
        popup->closeBlock = std::move(closed);
        popup->load(QUrl::fromLocalFile(page.htmlPath));
        popup->raise();
        popup->show();
        return true;
#else
        Q_UNUSED(page);
        Q_UNUSED(closed);
        return false;
#endif
    };
}
