#pragma once

#include <QWidget>

#include <functional>

class NBCustomTextField;
class QPushButton;

// Nothing in the client creates this yet (the gallery does); kept as a code row with a button.
// A code entry with its send button at the right end (the button 120 wide, 8 inside the right
// edge, 5 from top and bottom; the field 23 in from the left up to 10 before the button). It runs
// no countdown of its own: a holder that wants one sets clickBlock and changes the button itself.
class NBLoginTimerView : public QWidget
{
    Q_OBJECT
public:
    explicit NBLoginTimerView(QWidget *parent = nullptr);

    std::function<void()> clickBlock;

    QPushButton *button() const { return m_button; }
    NBCustomTextField *textField() const { return m_textField; }

    // The button's action.
    void accountAction();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QPushButton *m_button = nullptr;
    NBCustomTextField *m_textField = nullptr;
};
