#pragma once

#include <QWidget>

// The account area of the more page's header: a click asks the nearest screen to open the
// account sheet, when that screen offers it.
class NBInfoView : public QWidget
{
    Q_OBJECT
public:
    explicit NBInfoView(QWidget *parent = nullptr);
    void click();

protected:
    void mousePressEvent(QMouseEvent *event) override;
};
