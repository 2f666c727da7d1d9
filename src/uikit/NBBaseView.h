#pragma once

#include "uikit/OverlayWidget.h"

class RoundedPanel;

// Base of the full-window popups (alert, no-network popup): an overlay over the content of the
// window in use, with a rounded dark content panel that subclasses lay out.
class NBBaseView : public OverlayWidget
{
    Q_OBJECT
public:
    explicit NBBaseView(QWidget *parent = nullptr);

    // The panel, made on first use: RGB (42, 41, 44), corner radius 20.
    RoundedPanel *contentView();

    // Puts the popup over the content of the window in use, filling it, on top, with the
    // keyboard focus. False when no window is in use: nothing is shown then, and the caller
    // knows (the program went on as if it had been shown).
    bool show();

private:
    RoundedPanel *m_contentView = nullptr;
};
