#pragma once

#include <QWidget>

// Nothing in the client creates this yet; it is kept as the registration family's plain container.
// A bare view of the registration family: it holds nothing and draws nothing of its own, so a
// form can place it as a plain container.
class NBHavaAccountView : public QWidget
{
    Q_OBJECT
public:
    explicit NBHavaAccountView(QWidget *parent = nullptr);
};
