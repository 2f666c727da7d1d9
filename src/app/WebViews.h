#pragma once

#include <QJsonObject>
#include <QRect>
#include <QString>
#include <QUrl>

#include <functional>

class NBBaseViewController;
class QWidget;

// What the screens ask of the web pages besides the pages they make by name. The pages and
// Chromium under them live in a module the client loads on first use (WebModule), so the screens
// reach them only through this interface and a start that shows no page never maps Chromium.
class WebViews
{
public:
    virtual ~WebViews() = default;

    struct NoticePopup
    {
        QRect frame;
        // The page's initial data as JSON text (window.initializeData).
        QString json;
        QUrl page;
        // The page's in-app destinations ("linkBuy", "my", "newsList", ...).
        std::function<void(const QString &destination)> jump;
        // Runs each time the popup closes itself.
        std::function<void()> closed;
    };
    // The notice page as a popup over `host` (which owns it), loaded, raised and shown.
    virtual QWidget *showNoticePopup(QWidget *host, const NoticePopup &popup) = 0;

    // A web view for one message's HTML, owned by `parent`. Clicked links never navigate it; they
    // reach `linkClicked` from the event loop.
    virtual QWidget *makeMessageView(QWidget *parent, std::function<void(const QUrl &)> linkClicked) = 0;
    virtual void showMessageHtml(QWidget *messageView, const QString &html) = 0;

    // The purchase page with its opener's initial data, made but not loaded (containers load it).
    virtual NBBaseViewController *makePurchasePage(const QJsonObject &json) = 0;
};
