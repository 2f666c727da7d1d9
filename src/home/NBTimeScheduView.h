#pragma once

#include <QTimer>
#include <QWidget>

class QLabel;

// The connected-time clock: "00:00:00" under way since the connection came up, with its caption.
// It keeps its own timer, so stopping it never stops anyone else's.
class NBTimeScheduView : public QWidget
{
    Q_OBJECT
public:
    explicit NBTimeScheduView(QWidget *parent = nullptr);

    // true: counts from 0, a tick at once and then every second, the view shown; false: hidden,
    // back to "00:00:00", the timer stopped.
    void updateConnectedTime(bool start);
    // One second more (the timer's step; tests call it directly).
    void tick();

    int seconds() const { return m_seconds; }
    QLabel *titleLabel() const { return m_titleLabel; }
    QLabel *newVersionLabel() const { return m_newVersionLabel; }
    bool isCounting() const { return m_timer.isActive(); }

    static QString formatHMS(int seconds);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QLabel *m_titleLabel = nullptr;
    QLabel *m_newVersionLabel = nullptr;
    QTimer m_timer;
    int m_seconds = 0;
};
