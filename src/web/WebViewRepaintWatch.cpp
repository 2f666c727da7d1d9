#include "web/WebViewRepaintWatch.h"

#include <QChildEvent>
#include <QEvent>
#include <QWebEngineView>
#include <QWidget>

#include "webcore/WebLog.h"

void WebViewRepaintWatch::attach(QWebEngineView *view)
{
    if (!view || view->findChild<WebViewRepaintWatch *>(QString(), Qt::FindDirectChildrenOnly))
        return;
    new WebViewRepaintWatch(view);
}

WebViewRepaintWatch::WebViewRepaintWatch(QWebEngineView *view)
    : QObject(view)
{
    view->installEventFilter(this);
    // The surface exists already when the page was shown before the watch came.
    follow(view->focusProxy());
}

void WebViewRepaintWatch::follow(QWidget *surface)
{
    if (!surface || surface == m_surface)
        return;
    if (m_surface)
        m_surface->removeEventFilter(this);
    m_surface = surface;
    m_onTop = surface->testAttribute(Qt::WA_AlwaysStackOnTop);
    surface->installEventFilter(this);
}

bool WebViewRepaintWatch::eventFilter(QObject *watched, QEvent *event)
{
    // The view is told of its children's removal while its destructor runs, when it is a
    // QWebEngineView no more: it is known by identity here, and as a view only where it adds one.
    if (watched == parent()) {
        // The engine puts a new surface into the view when it makes one, and hands it the focus.
        if (event->type() == QEvent::ChildAdded || event->type() == QEvent::ChildPolished) {
            const auto *view = qobject_cast<QWebEngineView *>(watched);
            QObject *child = static_cast<QChildEvent *>(event)->child();
            if (view && child && child->isWidgetType() && (!view->focusProxy() || view->focusProxy() == child))
                follow(static_cast<QWidget *>(child));
        }
        return false;
    }
    if (watched == m_surface) {
        // The engine flips the stacking and asks for a repaint of the surface alone; its paint
        // (and any later event of the surface) is where the change shows.
        checkStacking(m_surface);
    }
    return false;
}

void WebViewRepaintWatch::checkStacking(QWidget *surface)
{
    const bool onTop = surface->testAttribute(Qt::WA_AlwaysStackOnTop);
    if (onTop == m_onTop)
        return;
    m_onTop = onTop;
    qCDebug(lcWeb) << "page surface now" << (onTop ? "over the window" : "through the window") << "; repainting the view";
    // The watch is the view's own child: the view is there as long as the watch is.
    static_cast<QWidget *>(parent())->update();
}
