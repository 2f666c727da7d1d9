#pragma once

#include "uikit/LMGradientTitleButton.h"

// The green rectangle button: white title, green gradients, the theme's disabled colours, light
// font.
class LMRectangleButton : public LMGradientTitleButton
{
    Q_OBJECT
public:
    explicit LMRectangleButton(const QString &title = {}, QWidget *parent = nullptr);

protected:
    void setDefault() override;
};
