#pragma once

#include "uikit/ImageTitleButton.h"

// The account forms' gradient button: image "rebackgroup", corner radius 15, initial title
// "发送验证码".
class NBGradColorView : public ImageTitleButton
{
    Q_OBJECT
public:
    explicit NBGradColorView(QWidget *parent = nullptr);

    // Restyles the current title: 14 px, RGB (222, 228, 244), centred.
    void setAttributedTitle();
};
