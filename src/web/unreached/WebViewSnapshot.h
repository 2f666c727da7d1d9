#pragma once

#include <QImage>
#include <QString>

#include <functional>

class QObject;
class QWebEnginePage;
class QWidget;

// Nothing in the client creates this (the gallery does); it is kept for pictures of the pages.
// A picture of a widget that holds a web view, taken once its page has finished loading, shows
// what it should (a script condition) and has painted that: Chromium paints some frames after
// the page's scripts ran, so a grab right after loading shows an empty view.
//
// Works with Chromium's software rendering ("--disable-gpu") under Xvfb and under the offscreen
// platform, with Qt::AA_ShareOpenGLContexts set before the application object. For pictures of
// the full-screen pages (the gallery) and of the notice popup. The view must be shown: Chromium
// runs no animation frames for a hidden page, and the capture then times out.
class WebViewSnapshot
{
public:
    struct Options
    {
        // A script expression that is true once the page shows its content (empty: loaded is
        // enough), e.g. "document.body.dataset.products".
        QString readyCondition;
        int timeoutMs = 30000;
    };

    // The picture, or a null image when the page was not ready in time or `target` or `page` went
    // away. Answers exactly once, from the event loop, never inside this call; not at all when
    // `context` is gone by then.
    using Completion = std::function<void(QImage picture)>;

    static void capture(QWidget *target, QWebEnginePage *page, const Options &options, QObject *context,
                        Completion completion);

private:
    WebViewSnapshot() = delete;
};
