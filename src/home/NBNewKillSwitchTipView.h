#pragma once

#include "uikit/RoundedPanel.h"

class QLabel;

// The kill-switch look's tip under the animation: the warning picture and how to leave the look.
class NBNewKillSwitchTipView : public RoundedPanel
{
    Q_OBJECT
public:
    explicit NBNewKillSwitchTipView(QWidget *parent = nullptr);

    QLabel *iconView() const { return m_iconView; }
    QLabel *textLabel() const { return m_textLabel; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QLabel *m_iconView = nullptr;
    QLabel *m_textLabel = nullptr;
};
