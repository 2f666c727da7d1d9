#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <optional>

// The splash advertisement's countdown and its single ending, without drawing.
//
// An advertisement always ends: a missing or unreadable "close_seconds" counts down from 3 with
// the close control shown, so a picture without a usable link can never hold the user. Exactly
// one ending happens (the countdown, the close control or a click): whichever comes first wins,
// and the others are ignored, so the main content is never put in place twice.
class SplashCountdown : public QObject
{
    Q_OBJECT
public:
    static constexpr int kDefaultSeconds = 3;
    static constexpr int kTickMs = 1000;

    enum class Ending { None, Dismissed, Tapped };

    explicit SplashCountdown(QObject *parent = nullptr);

    // Reads a count as the service writes it: an optional sign and ASCII digits, nothing else
    // (no blanks, no fraction), within 64 bits.
    static std::optional<qint64> parseSeconds(const QString &text);

    // Sets the count from "close_seconds" (the default when it does not read) and starts ticking.
    void start(const std::optional<QString> &closeSeconds);

    qint64 secondsRemaining() const { return m_secondsRemaining; }
    bool controlVisible() const { return m_controlVisible; }
    // "3s" while counting.
    QString title() const { return m_title; }
    bool isRunning() const { return m_timer.isActive(); }
    Ending ending() const { return m_ending; }

    // One step: counts down and shows the count; ends once the count has reached zero.
    void tick();
    // The close control. False when the advertisement has ended already.
    bool close();
    // A click that has a link to follow. False when the advertisement has ended already.
    bool tap();

Q_SIGNALS:
    void titleChanged(const QString &title);
    // Emitted once, for the countdown's end or the close control.
    void dismissed();

private:
    bool end(Ending ending);
    void setTitle(qint64 seconds);

    QTimer m_timer;
    qint64 m_secondsRemaining = kDefaultSeconds;
    bool m_controlVisible = false;
    QString m_title;
    Ending m_ending = Ending::None;
};
