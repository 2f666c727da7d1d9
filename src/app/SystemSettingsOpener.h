#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// Opens the desktop's network settings. Linux has no one place for them: the desktop's own
// settings program is tried by XDG_CURRENT_DESKTOP (GNOME, KDE), then NetworkManager's editor.
class SystemSettingsOpener
{
public:
    // False when no known program is installed.
    static bool openNetworkSettings();
    // The program and arguments that would be started, first match first; empty when none.
    static QStringList networkSettingsCommand(const QString &desktop);

    // Tests see what would be opened instead of starting it.
    static void setOpenerForTesting(std::function<bool()> opener);

private:
    SystemSettingsOpener() = delete;
};
