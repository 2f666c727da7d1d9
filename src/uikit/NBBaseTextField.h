#pragma once

#include <QLineEdit>

// A field used as a label: clicks neither focus it nor select its text.
class NBBaseTextField : public QLineEdit
{
    Q_OBJECT
public:
    explicit NBBaseTextField(const QString &text = {}, QWidget *parent = nullptr);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
};
