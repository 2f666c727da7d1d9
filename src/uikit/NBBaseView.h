#pragma once

#include "uikit/OverlayWidget.h"

#include <concepts>
#include <memory>

class RoundedPanel;

// Base of the full-window popups (alert, no-network popup): an overlay over the content of the
// window in use, with a rounded dark content panel that subclasses lay out.
//
// NBBaseView::show is the one road by which a popup (any overlay: these, the home screen's line
// list, the TUN tip, the upgrade dialog, the country list of the phone fields) goes over the window.
class NBBaseView : public OverlayWidget
{
    Q_OBJECT
public:
    explicit NBBaseView(QWidget *parent = nullptr);

    // The panel, made on first use: RGB (42, 41, 44), corner radius 20.
    RoundedPanel *contentView();

    // Logs the window it goes over (between two " ========= " lines), then showOverWindow. On
    // this class's popups the name hides QWidget::show() on purpose: none is shown past this road.
    template <typename View>
        requires std::derived_from<View, OverlayWidget>
    static View *show(std::unique_ptr<View> view)
    {
        logWindowInUse();
        return showOverWindow(std::move(view));
    }

private:
    // Puts the popup over the content of the window in use, filling it, on top, with the
    // keyboard focus; that content owns it from then on. With no window in use nothing is shown,
    // the popup is deleted and nullptr comes back (the program goes on as if it had been shown).
    template <typename View>
        requires std::derived_from<View, OverlayWidget>
    static View *showOverWindow(std::unique_ptr<View> view)
    {
        View *shown = view.get();
        return placeOverWindow(std::move(view)) ? shown : nullptr;
    }

    static void logWindowInUse();
    static bool placeOverWindow(std::unique_ptr<OverlayWidget> view);

    RoundedPanel *m_contentView = nullptr;
};
