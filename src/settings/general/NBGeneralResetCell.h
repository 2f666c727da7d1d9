#pragma once

#include <QWidget>

class QLabel;

// The general-settings row that asks to reset every general setting: its name only.
class NBGeneralResetCell : public QWidget
{
    Q_OBJECT
public:
    explicit NBGeneralResetCell(QWidget *parent = nullptr);

    QLabel *nameText() const { return m_nameText; }

Q_SIGNALS:
    void clicked();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QLabel *m_nameText = nullptr;
};
