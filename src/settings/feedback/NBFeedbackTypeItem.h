#pragma once

#include "settings/ClickableRow.h"

class QLabel;
class RoundedPanel;

// One tile of the type picker (79 x 40): a capsule, filled when its type is the marked one. It
// reports every press at once, also on the tile already marked.
class NBFeedbackTypeItem : public ClickableRow
{
    Q_OBJECT

public:
    explicit NBFeedbackTypeItem(QWidget *parent = nullptr);

    RoundedPanel *cornerView() const { return m_cornerView; }
    QLabel *titleLabel() const { return m_titleLabel; }
    void setMarked(bool marked);
    bool isMarked() const { return m_marked; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    RoundedPanel *m_cornerView = nullptr;
    QLabel *m_titleLabel = nullptr;
    bool m_marked = false;
};
