#pragma once

#include <QImage>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <memory>

namespace rlottie {
class Animation;
}

// Plays one Lottie animation (or a segment of it) in a loop, rendered with rlottie at the
// screen's pixel ratio. It draws nothing and runs no timer while it or its window is hidden or
// minimised, so an idle client with the connect area on screen costs only the frames it shows.
class LottieWidget : public QWidget
{
    Q_OBJECT
public:
    explicit LottieWidget(QWidget *parent = nullptr);
    ~LottieWidget() override;

    // Plays `name` from `firstFrame` to `lastFrame` (inclusive, clamped to the file; -1: its ends),
    // looping, from the start. A name with no animation stops and clears the view.
    void play(const QString &name, int firstFrame = -1, int lastFrame = -1);
    void stop();

    QString currentName() const { return m_name; }
    QPair<int, int> frameRange() const { return {m_first, m_last}; }
    int currentFrame() const { return m_frame; }
    bool hasAnimation() const { return m_animation != nullptr; }
    bool isTicking() const { return m_timer.isActive(); }

    // Moves the animation on by `ms` of play time (the timer's step; tests call it directly).
    void advance(int ms);

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void updateTicking();
    void tick();

    std::shared_ptr<rlottie::Animation> m_animation;
    QString m_name;
    int m_first = 0;
    int m_last = 0;
    int m_frame = 0;
    double m_frameRate = 30.0;
    double m_pendingFrames = 0.0;
    QTimer m_timer;
    QImage m_image;
    int m_imageFrame = -1;
    QObject *m_watchedWindow = nullptr;
};
