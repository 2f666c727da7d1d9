#pragma once

// Global keyboard shortcuts stored under "ToggleRunning" and "SwitchProxyMode", which post
// "NOTIFY_TOGGLE_RUNNING_SHORTCUT" and "NOTIFY_SWITCH_PROXY_MODE_SHORTCUT". A shortcut that works
// while another program has the focus needs a key grab from the desktop; this build has none yet
// on any desktop (X11 grabs are the natural next step), so binding reports itself unavailable and
// nothing is posted.
class ShortcutsController
{
public:
    enum class Binding { Bound, Unavailable };

    static Binding bindShortcuts();

private:
    ShortcutsController() = delete;
};
