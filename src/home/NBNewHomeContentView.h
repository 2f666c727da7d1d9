#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <optional>

#include "home/NBConnectAreaState.h"

#include "upgrade/NBAboutUpgradeView.h"
class NBCircleAnimationView;
class NBConnectView;
class NBNewHomeContentViewProtocol;
class NBNewKillSwitchTipView;
class QLabel;

// The home screen's connect area: the background, the rings, the connect button of the paused
// look, the animation stage of the other looks, the kill-switch tip and the new-version banner.
// A click connects or disconnects (at most one per 1.5 s); in the kill-switch look only a press
// held for 1.0 s does anything: it releases the kill switch.
class NBNewHomeContentView : public QWidget
{
    Q_OBJECT
public:
    static constexpr qint64 kButtonClickIntervalMs = 1500;
    static constexpr int kLongPressMs = 1000;
    static constexpr int kLongPressStopDelayMs = 500;

    explicit NBNewHomeContentView(QWidget *parent = nullptr);

    void setDelegate(NBNewHomeContentViewProtocol *delegate) { m_delegate = delegate; }
    NBNewHomeContentViewProtocol *delegate() const { return m_delegate; }

    void updateState(NBConnectAreaState state);
    NBConnectAreaState state() const { return m_state; }
    bool isOn() const { return m_isOn; }

    // The debounced click of the connect button and of the animation stage.
    void handleStartClick();
    // The press held long enough in the kill-switch look.
    void handleLongPress();
    bool isLongPressArmed() const { return m_longPressArmed; }
    bool isTapEnabled() const { return m_tapEnabled; }

    // Milliseconds of a monotonic clock; tests replace it to step over the debounce.
    void setMonotonicClock(std::function<qint64()> clock) { m_clock = std::move(clock); }

    QWidget *contentCircleView() const { return m_contentCircleView; }
    NBConnectView *connectButton() const { return m_connectButton; }
    NBCircleAnimationView *lottleAnimationView() const { return m_lottleAnimationView; }
    NBNewKillSwitchTipView *killSwitchTipView() const { return m_killSwitchTipView; }
    NBAboutUpgradeView *upgradeView() const { return m_upgradeView; }
    // Hosts the new-version banner (made by HomeUpgradeCheck) above the animation stage, so that
    // a click on it opens the upgrade dialog and never reaches the stage's connect or disconnect.
    void setUpgradeView(NBAboutUpgradeView *view);
    // The banner sized to its text, centred at the top of the circle.
    void layoutUpgradeView();
    // The width of its text in its own font, plus 60.
    static int upgradeBannerWidth(const NBAboutUpgradeView &banner);

Q_SIGNALS:
    void stateChanged(NBConnectAreaState state);

protected:
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showStage();
    void disarmLongPress();

    NBNewHomeContentViewProtocol *m_delegate = nullptr;
    NBConnectAreaState m_state = NBConnectAreaState::paused;
    bool m_isOn = false;
    bool m_tapEnabled = true;
    bool m_longPressArmed = false;
    bool m_stagePressed = false;
    // Whether the press in progress may end in a click: taps were enabled when it began and no
    // long press has taken it since.
    bool m_pressMayClick = false;
    QPoint m_pressPoint;
    std::optional<qint64> m_lastClick;
    std::function<qint64()> m_clock;
    QTimer m_longPressTimer;

    QLabel *m_contentBgView = nullptr;
    QWidget *m_contentCircleView = nullptr;
    QLabel *m_cicleOutSideView = nullptr;
    QLabel *m_cicleInSideView = nullptr;
    NBConnectView *m_connectButton = nullptr;
    NBCircleAnimationView *m_lottleAnimationView = nullptr;
    NBNewKillSwitchTipView *m_killSwitchTipView = nullptr;
    QPointer<NBAboutUpgradeView> m_upgradeView;
};
