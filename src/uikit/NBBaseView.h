#pragma once

#include "uikit/OverlayWidget.h"

#include <memory>

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
    // keyboard focus; that content owns it from then on. With no window in use nothing is shown,
    // the popup is deleted and nullptr comes back (the program goes on as if it had been shown).
    template <typename View>
    static View *showOverWindow(std::unique_ptr<View> view)
    {
        View *shown = view.get();
        return placeOverWindow(std::move(view)) ? shown : nullptr;
    }

private:
    static bool placeOverWindow(std::unique_ptr<NBBaseView> view);

    RoundedPanel *m_contentView = nullptr;
};
