#pragma once

#include <QWidget>

// The grey track of the upgrade window's ring: a full 5 px circle inside its frame.
class CircularArcImageView : public QWidget
{
    Q_OBJECT
public:
    explicit CircularArcImageView(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};
