#pragma once

#include <QWidget>

// A row or tile of the settings lists that is one big button: a left press released over it is a
// click. Rows draw themselves; this only turns the release into `clicked`.
class ClickableRow : public QWidget
{
    Q_OBJECT
public:
    explicit ClickableRow(QWidget *parent = nullptr);

Q_SIGNALS:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
};
