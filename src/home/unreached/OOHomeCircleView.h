#pragma once

#include <QWidget>

// Only the earlier connect area, which nothing in the client shows, creates this; kept with it.
// The earlier connect area's ring: a short blue arc over the button.
class OOHomeCircleView : public QWidget
{
    Q_OBJECT
public:
    static constexpr qreal kRadius = 87;
    explicit OOHomeCircleView(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};
