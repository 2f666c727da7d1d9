#pragma once

#include <QByteArray>
#include <QString>

#include <mutex>

// The installer the stand-in offers as an upgrade: a small but real Debian package of the client
// ("ostrel", version 9.9.9, architecture "all", one documentation file), made with dpkg-deb on
// first use. The client's install script accepts it; installing it changes nothing that matters.
class StandinInstaller
{
public:
    static constexpr const char *kVersion = "9.9.9";

    // The package bytes; empty (with the reason in errorText()) when dpkg-deb is missing or fails.
    QByteArray package();
    QString errorText() const;

    // Writes such a package with the given name to `debPath`; false on failure (tests make
    // packages of other names with it).
    static bool build(const QString &debPath, const QString &packageName, const QString &version, QString *error);

private:
    mutable std::mutex m_mutex;
    QByteArray m_package;
    QString m_error;
    bool m_tried = false;
};
