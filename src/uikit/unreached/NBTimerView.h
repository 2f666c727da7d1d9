#pragma once

#include <QPointer>
#include <QWidget>

#include <functional>

class QLabel;
class QPushButton;

// A button with a time label and a consent line beside it, for a caller that wants one: no
// screen makes it. Its parts are made on first use and laid out by the caller; a click on the
// button is accountAction.
class NBTimerView : public QWidget
{
    Q_OBJECT
public:
    explicit NBTimerView(QWidget *parent = nullptr);

    std::function<void()> clickBlock;

    QPushButton *button();
    QLabel *timeLabel();
    QLabel *privatyAttrLabel();

    void accountAction();

private:
    QPointer<QPushButton> m_button;
    QPointer<QLabel> m_timeLabel;
    QPointer<QLabel> m_privatyAttrLabel;
};
