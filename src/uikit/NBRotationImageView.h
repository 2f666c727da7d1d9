#pragma once

#include "uikit/RotatingImageView.h"

// The turning "loading" image of the small loading box.
class NBRotationImageView : public RotatingImageView
{
    Q_OBJECT
public:
    explicit NBRotationImageView(QWidget *parent = nullptr)
        : RotatingImageView(QStringLiteral("loading"), parent)
    {
    }
};
