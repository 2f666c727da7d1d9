#include "app/SplashCountdown.h"

#include <limits>

#include "uikit/UiTiming.h"

SplashCountdown::SplashCountdown(QObject *parent)
    : QObject(parent)
{
    connect(&m_timer, &QTimer::timeout, this, &SplashCountdown::tick);
}

std::optional<qint64> SplashCountdown::parseSeconds(const QString &text)
{
    qsizetype i = 0;
    bool negative = false;
    if (!text.isEmpty() && (text.at(0) == QLatin1Char('+') || text.at(0) == QLatin1Char('-'))) {
        negative = text.at(0) == QLatin1Char('-');
        i = 1;
    }
    if (i >= text.size())
        return std::nullopt;
    // Accumulated as a negative number, whose range is one larger, so the minimum still reads.
    qint64 value = 0;
    constexpr qint64 lowest = std::numeric_limits<qint64>::min();
    for (; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
        const int digit = c.unicode() - '0';
        if (value < (lowest + digit) / 10)
            return std::nullopt;
        value = value * 10 - digit;
    }
    if (negative)
        return value;
    if (value == lowest)
        return std::nullopt;
    return -value;
}

void SplashCountdown::start(const std::optional<QString> &closeSeconds)
{
    if (m_ending != Ending::None)
        return;
    const std::optional<qint64> seconds = closeSeconds ? parseSeconds(*closeSeconds) : std::nullopt;
    m_secondsRemaining = seconds.value_or(kDefaultSeconds);
    m_controlVisible = true;
    setTitle(m_secondsRemaining);
    if (UiTiming::delaysHeld())
        return;
    m_timer.start(UiTiming::ms(kTickMs));
}

void SplashCountdown::tick()
{
    if (m_ending != Ending::None)
        return;
    if (m_secondsRemaining < 1) {
        if (end(Ending::Dismissed))
            Q_EMIT dismissed();
        return;
    }
    // Counted down before it is shown, so "3" reads 3s, 2s, 1s, 0s and then ends: the start
    // value is shown once, not twice.
    --m_secondsRemaining;
    if (m_controlVisible)
        setTitle(m_secondsRemaining);
}

bool SplashCountdown::close()
{
    if (!end(Ending::Dismissed))
        return false;
    Q_EMIT dismissed();
    return true;
}

bool SplashCountdown::tap()
{
    return end(Ending::Tapped);
}

bool SplashCountdown::end(Ending ending)
{
    if (m_ending != Ending::None)
        return false;
    m_ending = ending;
    m_timer.stop();
    return true;
}

void SplashCountdown::setTitle(qint64 seconds)
{
    m_title = QString::number(seconds) + QLatin1Char('s');
    Q_EMIT titleChanged(m_title);
}
