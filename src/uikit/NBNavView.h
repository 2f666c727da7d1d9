#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

// The bar at the top of pushed screens: a 35 x 35 back button 23 from the left, centred
// vertically, and a centred white 14 px title ("选择区域" until the owner sets one). The owner
// sets the button's image and connects it (usually to its dismissAction).
class NBNavView : public QWidget
{
    Q_OBJECT
public:
    explicit NBNavView(QWidget *parent = nullptr);

    QPushButton *backBtn();
    QLabel *titleLab();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QPushButton *m_backBtn = nullptr;
    QLabel *m_titleLab = nullptr;
};
