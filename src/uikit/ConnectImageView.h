#pragma once

#include "uikit/RotatingImageView.h"

// The turning "hud_loading_icon" of the full-view loading cover.
class ConnectImageView : public RotatingImageView
{
    Q_OBJECT
public:
    explicit ConnectImageView(QWidget *parent = nullptr)
        : RotatingImageView(QStringLiteral("hud_loading_icon"), parent)
    {
    }
};
