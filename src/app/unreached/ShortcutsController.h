#pragma once

#include <QKeySequence>

#include <optional>

// Nothing in the client binds a shortcut yet; it is kept for the proxy's global shortcuts.
// Global keyboard shortcuts: the one stored under "ToggleRunning" posts
// "NOTIFY_TOGGLE_RUNNING_SHORTCUT", the one under "SwitchProxyMode" posts
// "NOTIFY_SWITCH_PROXY_MODE_SHORTCUT", while any program has the focus. A shortcut is stored as
// key-sequence text ("Ctrl+Alt+P"); a missing or empty one binds nothing.
//
// They work where the desktop lets a program grab keys for the whole screen: X11. Elsewhere
// (Wayland, offscreen) binding reports itself unavailable and nothing is posted.
class ShortcutsController
{
public:
    enum class Binding { Bound, Unavailable };

    // Binds (again) what is stored now; a shortcut another program holds already is logged and
    // left out.
    static Binding bindShortcuts();

    struct X11Key
    {
        quint32 keysym = 0;
        quint16 modifiers = 0; // X modifier mask: shift, control, mod1 (Alt), mod4 (Super)
        bool operator==(const X11Key &other) const { return keysym == other.keysym && modifiers == other.modifiers; }
    };
    // The X key of a one-key sequence; nothing for keys without an X keysym here.
    static std::optional<X11Key> x11KeyFor(const QKeySequence &sequence);

private:
    ShortcutsController() = delete;
};
