#include "login/register/NBRegisterCountdown.h"

#include <QAbstractButton>

#include <chrono>

#include "uikit/ButtonColors.h"
#include "common/ClickableFlag.h"
#include "common/OOTimerManager.h"

namespace {

NBRegisterCountdown::Scheduler &testScheduler()
{
    static NBRegisterCountdown::Scheduler scheduler;
    return scheduler;
}

NBRegisterCountdown::Canceller &testCanceller()
{
    static NBRegisterCountdown::Canceller canceller;
    return canceller;
}

void cancelTimer(const QString &name)
{
    if (testCanceller()) {
        testCanceller()(name);
        return;
    }
    OOTimerManager::shared().cancel(name);
}

const QColor kTitleColour(216, 216, 216);

} // namespace

const QString &NBRegisterCountdown::timerName()
{
    static const QString name = QStringLiteral("NBRegsterTimer");
    return name;
}

void NBRegisterCountdown::setReadyTitle(QAbstractButton *button)
{
    if (!button)
        return;
    ButtonColors::setAttributedTitleWithColor(button, QStringLiteral("发送验证码"), kTitleColour);
    ClickableFlag::setIsClickable(button, true);
}

void NBRegisterCountdown::start(QAbstractButton *button)
{
    auto state = std::make_shared<State>();
    state->button = button;
    auto tickOnce = [state] { tick(*state); };
    if (testScheduler()) {
        testScheduler()(timerName(), tickOnce);
        return;
    }
    OOTimerManager::shared().schedule(timerName(), std::chrono::milliseconds(0), true, false, tickOnce, 1.0);
}

void NBRegisterCountdown::tick(State &state)
{
    if (!state.button) {
        // The form went away: nothing left to count for.
        cancelTimer(timerName());
        return;
    }
    if (state.remaining < 1) {
        cancelTimer(timerName());
        setReadyTitle(state.button);
        return;
    }
    --state.remaining;
    ClickableFlag::setIsClickable(state.button, false);
    ButtonColors::setAttributedTitleWithColor(state.button, QString::number(state.remaining) + QLatin1Char('S'),
                                              kTitleColour);
}

void NBRegisterCountdown::setClockForTesting(Scheduler scheduler, Canceller canceller)
{
    testScheduler() = std::move(scheduler);
    testCanceller() = std::move(canceller);
}
