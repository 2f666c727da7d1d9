#pragma once

#include <QObject>
#include <QPointer>

class QWebEngineView;
class QWidget;

// Keeps a web view's window painting in step with how its page is composited.
//
// Qt WebEngine draws a page into a texture that the window composites with its own painting in
// one of two ways: a translucent page goes on top of everything, an opaque one shows through a
// hole that the window's painting leaves where the page lies. The view starts translucent (our
// pages ask for a transparent background) and turns opaque once the page reports an opaque
// background of its own (the pages shown over other screens paint one). At that switch Qt redraws
// the texture only: nothing repaints the window beneath, so no hole is made and the screen's own
// background keeps covering the page, which then looks blank for as long as nothing else repaints
// that area (a fade over the screen does, which hid this whenever the page's colour came early).
//
// The watch follows the view's drawing surface (Chromium makes a new one after a renderer ends)
// and repaints the view whenever the surface's stacking changes.
class WebViewRepaintWatch : public QObject
{
    Q_OBJECT
public:
    // Owned by the view (its parent); once per view.
    static void attach(QWebEngineView *view);

    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit WebViewRepaintWatch(QWebEngineView *view);
    void follow(QWidget *surface);
    void checkStacking(QWidget *surface);

    QPointer<QWidget> m_surface;
    bool m_onTop = true;
};
