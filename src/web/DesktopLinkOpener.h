#pragma once

#include <QUrl>

#include <functional>

// Hands a link to the desktop's browser or mail program (through xdg-open). The web views call it
// only for links the router let out (http, https, mailto); it checks again, as the last door out
// of the client.
class DesktopLinkOpener
{
public:
    using Opener = std::function<void(const QUrl &)>;

    static void open(const QUrl &url);
    // Tests record links instead of starting a browser; an empty opener restores the desktop's.
    static void setOpenerForTesting(Opener opener);

private:
    DesktopLinkOpener() = delete;
};
