#pragma once

#include <QWidget>

// The root view a screen builds in code: fixed size, presses on its background stop here.
class NBControllerView : public QWidget
{
    Q_OBJECT
public:
    static constexpr QSize contentSize() { return {728, 500}; }
    static constexpr QSize loginSize() { return {375, 667}; }
    static constexpr QSize fullSize() { return {800, 500}; }
    static constexpr QSize paneSize() { return {366, 500}; }

    explicit NBControllerView(const QSize &size = contentSize(), QWidget *parent = nullptr);

protected:
    void mousePressEvent(QMouseEvent *event) override;
};
