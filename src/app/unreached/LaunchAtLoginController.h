#pragma once

#include <QString>

// Nothing in the client creates this yet; it is kept for starting the client with the session.
// Starts the client with the desktop session through an XDG autostart entry
// ($XDG_CONFIG_HOME/autostart/ostrel.desktop). The stored choice "LaunchAtLogin" is applied again
// at every start, so a moved executable or a deleted entry is put right.
class LaunchAtLoginController
{
public:
    static LaunchAtLoginController &shared();

    // Applies the stored choice at once. `executable` is what the entry starts.
    explicit LaunchAtLoginController(const QString &executable);

    bool launchAtLogin() const { return m_enabled; }
    // Writes or removes the entry. When that fails the state and the stored choice stay as they
    // were; the answer says which happened.
    bool setLaunchAtLogin(bool enabled);

    static QString autostartFilePath();
    // The entry's text, or nothing when the path cannot be written into one (a line break).
    static QByteArray desktopEntry(const QString &executable);

private:
    bool apply(bool enabled) const;

    QString m_executable;
    bool m_enabled = false;
};
