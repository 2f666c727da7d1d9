#include "home/NoticePopupPresenter.h"

#include <QPointer>
#include <QUrl>

#include "app/WebModule.h"
#include "app/WebViews.h"
#include "home/NBHomeViewController.h"
#include "uikit/WindowInUse.h"

bool NoticePopupPresenter::available()
{
    return WebModule::available();
}

NoticeChain::Presenter NoticePopupPresenter::present(NBHomeViewController *home)
{
    QPointer<NBHomeViewController> weakHome(home);
    return [weakHome](const NoticeChain::Page &page, std::function<void()> closed) -> bool {
        QWidget *host = WindowInUse::contentWidget();
        if (!host || !weakHome)
            return false;
        // The first notice of a run is what loads the pages' module.
        WebViews *views = WebModule::views();
        if (!views)
            return false;
        WebViews::NoticePopup popup;
        popup.frame = page.frame;
        popup.json = page.json;
        popup.page = QUrl::fromLocalFile(page.htmlPath);
        popup.jump = [weakHome](const QString &destination) {
            if (weakHome)
                weakHome->handleJumpAction(destination);
        };
        popup.closed = std::move(closed);
        return views->showNoticePopup(host, popup) != nullptr;
    };
}
