#pragma once

#include "uikit/OverlayWidget.h"

class RoundedPanel;

// Base of the notice popups: swallows presses and keys; a dark-blue rounded content panel.
class OOBasePopupView : public OverlayWidget
{
    Q_OBJECT
public:
    explicit OOBasePopupView(QWidget *parent = nullptr);

    // Made on first use: RGB (23, 35, 48), corner radius 8.
    RoundedPanel *contentView();

private:
    RoundedPanel *m_contentView = nullptr;
};
