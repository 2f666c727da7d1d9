#include "home/LineEvents.h"

#include "networking/XSAnalyticsManager.h"

namespace {
LineEvents::Sink &sink()
{
    static LineEvents::Sink current;
    return current;
}
} // namespace

void LineEvents::track(const QString &event)
{
    if (sink()) {
        sink()(event);
        return;
    }
    XSAnalyticsManager::shared().track(event);
}

void LineEvents::setSinkForTesting(Sink sink_)
{
    sink() = std::move(sink_);
}
