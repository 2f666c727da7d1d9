#pragma once

#include <QString>

// The looks the connect and stop roads ask of the home screen. The home screen implements it over
// its connect area (animation view, on flag, toasts, page switching); tests implement it with a
// recorder. Every call comes on the GUI thread.
class HomeConnectView
{
public:
    virtual ~HomeConnectView();

    // The connect area's animation view made visible and playing its loading, pausing or running
    // animation. `showRunning` also sets the area's on flag.
    virtual void showLoading() = 0;
    virtual void showPausing() = 0;
    virtual void showRunning() = 0;
    // The on flag cleared and the animation view (with its inner animation) hidden.
    virtual void showStopped() = 0;
    // The kill-switch state of the connect area: the engine is gone and the desktop proxy stays
    // pointed at it, so that no traffic leaves unprotected.
    virtual void showKillSwitch() = 0;

    virtual void showErrorToast(const QString &text) = 0;
    virtual void showSuccessToast(const QString &text) = 0;

    // The left menu's membership row selected and the purchase page shown (menu type 3).
    virtual void openUpgradePage() = 0;
    // The free-membership page presented over the home screen.
    virtual void presentFreePage() = 0;

    // Starts or stops the connected-time clock of the home screen.
    virtual void updateConnectedTime(bool running) = 0;
};
