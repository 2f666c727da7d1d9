#pragma once

#include <QWidget>

#include <functional>

class NBDisableButton;
class QLabel;

// The one-button action strip under the binding and change-password forms. A press runs
// clickBlock (nothing when none is set); the owning screen sets the button's image, title,
// colour and enabled state. The button sits 28 px from the left, 27 from the right, 31 below
// the top, 40 high. The time label is kept for the owner and shown nowhere.
class NBAccountSetTimerView : public QWidget
{
    Q_OBJECT
public:
    explicit NBAccountSetTimerView(QWidget *parent = nullptr);

    std::function<void()> clickBlock;

    NBDisableButton *button() const { return m_button; }
    QLabel *timeLabel() const { return m_timeLabel; }

    void accountAction();

    // Enabled with "confirm_enable_icon", or disabled with "confirm_unenable_icon".
    void setButtonEnabled(bool enabled);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    NBDisableButton *m_button = nullptr;
    QLabel *m_timeLabel = nullptr;
};
