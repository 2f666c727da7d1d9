#pragma once

#include <QWidget>

#include <functional>
#include <optional>

class NBCircleAnimationView;
class NBHomeViewController;
class OOKillSwitchTipView;

// The earlier home background (no screen shows it any more): the same debounced click as the
// connect area, with no looks of its own. Like the other earlier area it has no delegate: its
// clicks go to the home screen it sits in.
class NBHomeBackView : public QWidget
{
    Q_OBJECT
public:
    static constexpr qint64 kButtonClickIntervalMs = 1500;

    explicit NBHomeBackView(QWidget *parent = nullptr);

    void setMonotonicClock(std::function<qint64()> clock) { m_clock = std::move(clock); }
    void handleStartClick();
    bool isOn() const { return m_isOn; }
    // Made on first use and laid at its fixed place under the tip; nothing here plays it.
    NBCircleAnimationView *lottleAnimationView();
    OOKillSwitchTipView *killSwitchTipView() const { return m_tipView; }
    // The home screen up the parent chain, or none.
    static NBHomeViewController *homeAbove(const QWidget *widget);

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    std::function<qint64()> m_clock;
    std::optional<qint64> m_lastClick;
    bool m_isOn = false;
    NBCircleAnimationView *m_lottleAnimationView = nullptr;
    OOKillSwitchTipView *m_tipView = nullptr;
};
