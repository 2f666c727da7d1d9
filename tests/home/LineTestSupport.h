#pragma once

// Shared by the line widget tests: analytics read back, lines made quickly, a host window.

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QStringList>
#include <QThread>
#include <QWidget>

#include <functional>

#include "uikit/WindowInUse.h"
#include "home/LineEvents.h"
#include "vpn/OOHomeNodeModel.h"

inline bool waitFor(const std::function<bool()> &done, int ms = 5000)
{
    QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        // Closed overlays delete themselves later; a test waiting for that lets it happen.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QThread::msleep(2);
    }
    return true;
}

// Records the line widgets' analytics events for one test.
class EventRecorder
{
public:
    EventRecorder()
    {
        LineEvents::setSinkForTesting([this](const QString &event) { events << event; });
    }
    ~EventRecorder() { LineEvents::setSinkForTesting({}); }
    QStringList events;
};

inline OOHomeNodeModel makeLine(int id, const QString &name, std::optional<int> kind = 0,
                                std::optional<QString> abbrUrl = std::nullopt)
{
    OOHomeNodeModel line;
    line.id = id;
    line.name = name;
    line.kind = kind;
    line.abbrUrl = abbrUrl;
    return line;
}

// An 800 x 500 window that is the window in use for the popups.
class HostWindow
{
public:
    HostWindow()
    {
        m_window.resize(800, 500);
        m_window.show();
        WindowInUse::setContentWidget(&m_window);
    }
    ~HostWindow() { WindowInUse::setContentWidget(nullptr); }
    QWidget *widget() { return &m_window; }

private:
    QWidget m_window;
};
