#pragma once

#include <QString>

#include <functional>

// The analytics events of the line widgets, sent through one door so tests can read them back
// without an analytics upload. By default each event goes to XSAnalyticsManager.
class LineEvents
{
public:
    using Sink = std::function<void(const QString &event)>;

    static void track(const QString &event);
    // An empty sink restores the analytics manager.
    static void setSinkForTesting(Sink sink);

private:
    LineEvents() = delete;
};
