#pragma once

#include <QWidget>

class QLabel;

// The small "全局模式" corner badge of the mode switch. The switch makes it hidden and nothing
// shows it.
class markConnerView : public QWidget
{
    Q_OBJECT

public:
    explicit markConnerView(QWidget *parent = nullptr);
    QLabel *markText() const { return m_markText; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QLabel *m_markText = nullptr;
};
