#pragma once

#include <QWidget>

#include <functional>
#include <optional>

class NBNewHomeContentViewProtocol;
class OOKillSwitchTipView;

// The earlier home background (no screen shows it any more): the same debounced click as the
// connect area, with no looks of its own.
class NBHomeBackView : public QWidget
{
    Q_OBJECT
public:
    static constexpr qint64 kButtonClickIntervalMs = 1500;

    explicit NBHomeBackView(QWidget *parent = nullptr);

    void setDelegate(NBNewHomeContentViewProtocol *delegate) { m_delegate = delegate; }
    void setMonotonicClock(std::function<qint64()> clock) { m_clock = std::move(clock); }
    void handleStartClick();
    OOKillSwitchTipView *killSwitchTipView() const { return m_tipView; }

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    NBNewHomeContentViewProtocol *m_delegate = nullptr;
    std::function<qint64()> m_clock;
    std::optional<qint64> m_lastClick;
    OOKillSwitchTipView *m_tipView = nullptr;
};
