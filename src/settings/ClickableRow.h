#pragma once

#include <QWidget>

#include "uikit/PressClick.h"

// A row or tile of the settings lists that is one big button: a left press released over it,
// without having become a drag, is a click. Rows draw themselves; this only turns the click into
// `clicked`.
class ClickableRow : public QWidget
{
    Q_OBJECT
public:
    explicit ClickableRow(QWidget *parent = nullptr);

Q_SIGNALS:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    PressClick m_click;
};
