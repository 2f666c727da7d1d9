#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

// A general-settings row with a switch: the title at the top left, the switch at the top right
// and an optional explanation under the title, wrapped at 280.
class NBGeneralSwitchCell : public QWidget
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

Q_SIGNALS:
    // A press released on the row outside the switch.
    void clicked();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void showState();

    QLabel *m_titleLab = nullptr;
    QLabel *m_detailLab = nullptr;
    QPushButton *m_switchBtn = nullptr;
};
