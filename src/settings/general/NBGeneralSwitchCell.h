#pragma once

#include "settings/ClickableRow.h"

class QLabel;
class QPushButton;

// A general-settings row with a switch: the title at the top left, the switch at the top right
// and an optional explanation under the title, wrapped at 280. A click on the switch is the
// switch's own; the row reports the others.
class NBGeneralSwitchCell : public ClickableRow
{
    Q_OBJECT
public:
    explicit NBGeneralSwitchCell(QWidget *parent = nullptr);

    QLabel *titleLab() const { return m_titleLab; }
    QLabel *detailLab() const { return m_detailLab; }
    // Checkable; its clicked(bool) carries the new state.
    QPushButton *switchBtn() const { return m_switchBtn; }

    // Puts the switch at a stored position without a click.
    void setOn(bool on);
    bool isOn() const;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void showState();

    QLabel *m_titleLab = nullptr;
    QLabel *m_detailLab = nullptr;
    QPushButton *m_switchBtn = nullptr;
};
