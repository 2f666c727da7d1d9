#pragma once

#include "uikit/ImageTitleButton.h"

// A button that can be switched off for clicks without looking disabled: while its click flag
// (ClickableFlag, the account forms' countdown) is false, left and right presses and the
// keyboard do nothing; unset or true, it works as usual.
class NBDisableButton : public ImageTitleButton
{
    Q_OBJECT
public:
    explicit NBDisableButton(const QString &title = {}, QWidget *parent = nullptr);

    bool isClickable() const;

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
};
