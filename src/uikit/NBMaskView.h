#pragma once

#include "uikit/OverlayWidget.h"

// A transparent layer laid under popups so the screen beneath cannot be clicked.
class NBMaskView : public OverlayWidget
{
    Q_OBJECT
public:
    explicit NBMaskView(QWidget *parent = nullptr);
};
