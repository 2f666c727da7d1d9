#pragma once

#include <QLabel>

#include <functional>

// An image that reports clicks (the feedback form's pictures).
class NBClickImageView : public QLabel
{
    Q_OBJECT
public:
    explicit NBClickImageView(QWidget *parent = nullptr);

    std::function<void()> clickActionBlock;

Q_SIGNALS:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
};
