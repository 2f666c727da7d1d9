#pragma once

#include <QString>
#include <QUrl>

#include <functional>

// The door from a notice popup's "update" button to the upgrade window (the web-popup road of the
// self-upgrade): the upgrade layer's window (NBUpgradeProgressController) unless a test put a
// recorder in its place.
class PopupUpgradeWindowHook
{
public:
    using Opener = std::function<void(const QUrl &installerUrl, const QString &version)>;

    static void open(const QUrl &installerUrl, const QString &version);
    // An empty opener restores the upgrade window.
    static void setOpener(Opener opener);

private:
    PopupUpgradeWindowHook() = delete;
};
