#pragma once

#include <QWidget>

class LottieWidget;

// The connect area's animation stage (375 x 375): one looping animation per look. Its player is
// made on first use and fills the stage; a hidden stage plays nothing.
class NBCircleAnimationView : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kKillSwitchFirstFrame = 30;
    static constexpr int kKillSwitchLastFrame = 50;

    explicit NBCircleAnimationView(QWidget *parent = nullptr);

    void showLoading();
    void showRunning();
    void showPausing();
    void showKillSwitch();

    LottieWidget *animationView();
    // Null until the first animation plays.
    LottieWidget *existingAnimationView() const { return m_animationView; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void play(const QString &name, int firstFrame = -1, int lastFrame = -1);

    LottieWidget *m_animationView = nullptr;
};
