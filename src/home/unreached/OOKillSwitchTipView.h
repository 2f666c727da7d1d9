#pragma once

#include <QWidget>

class QLabel;

// Only the earlier home background, which nothing in the client shows, creates this; kept with it.
// The earlier kill-switch tip: a bordered capsule with white text.
// The tip the client shows is NBNewKillSwitchTipView (src/home).
class OOKillSwitchTipView : public QWidget
{
    Q_OBJECT
public:
    explicit OOKillSwitchTipView(QWidget *parent = nullptr);
    QLabel *textLabel() const { return m_textLabel; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QLabel *m_textLabel = nullptr;
};
