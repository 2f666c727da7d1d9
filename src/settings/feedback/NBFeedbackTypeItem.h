#pragma once

#include <QWidget>

class QLabel;
class RoundedPanel;

// One tile of the type picker (79 x 40): a capsule, filled when its type is the marked one.
class NBFeedbackTypeItem : public QWidget
{
    Q_OBJECT

public:
    explicit NBFeedbackTypeItem(QWidget *parent = nullptr);

    RoundedPanel *cornerView() const { return m_cornerView; }
    QLabel *titleLabel() const { return m_titleLabel; }
    void setMarked(bool marked);
    bool isMarked() const { return m_marked; }

Q_SIGNALS:
    // Every click, also on the tile already marked.
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    RoundedPanel *m_cornerView = nullptr;
    QLabel *m_titleLabel = nullptr;
    bool m_marked = false;
};
