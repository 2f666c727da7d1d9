#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>

class QWidget;

// Opacity animations of whole views (the platform's alpha animations) on the timing scale.
// The opacity effect is removed once a fade-in ends: effects render the view through an
// off-screen pixmap, which costs and misdraws embedded web views. A fade-out's view is the
// caller's to delete in done (a transparent view still takes clicks in Qt).
class ViewFader
{
public:
    // Fades from one opacity to another over the program's milliseconds; done runs at the end,
    // from the event loop, unless the widget is gone by then.
    static void fade(QWidget *widget, qreal from, qreal to, int programMs, std::function<void()> done = {});
    // Stops a running fade and shows the widget fully opaque.
    static void stop(QWidget *widget);
    // The widget's current opacity (1 without a fade).
    static qreal opacity(const QWidget *widget);

    // Runs fn once an animation group of that length would have ended.
    template <typename Fn>
    static void afterDuration(int programMs, QObject *context, Fn &&fn)
    {
        QTimer::singleShot(scaled(programMs), context, std::forward<Fn>(fn));
    }

private:
    static int scaled(int programMs);
    ViewFader() = delete;
};
