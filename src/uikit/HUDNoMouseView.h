#pragma once

#include "uikit/OverlayWidget.h"

// The full-size mask under a loading HUD: the parent takes no clicks or keys while it is up.
class HUDNoMouseView : public OverlayWidget
{
    Q_OBJECT
public:
    explicit HUDNoMouseView(QWidget *parent = nullptr);
};
