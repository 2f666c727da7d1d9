#pragma once

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <QStringList>

// The desktop proxy as the helper keeps it with its file backend: a JSON file of the test's,
// which neither Qt nor Qt WebEngine reads.
namespace DesktopProxyFile {

// The helper's arguments for that backend: its socket, the settings file, its state folder.
inline QStringList helperArguments(const QString &socket, const QString &settings, const QString &stateFolder)
{
    return {QStringLiteral("--socket"), socket, QStringLiteral("--backend"), QStringLiteral("file"),
            QStringLiteral("--settings-file"), settings, QStringLiteral("--state-dir"), stateFolder};
}

// A proxy of the user's own, as a desktop would hold it before the client came.
inline QJsonObject usersOwnSample()
{
    return {{"mode", "manual"}, {"socks_host", "proxy.example.org"}, {"socks_port", 1080},
            {"http_host", ""}, {"http_port", 0}, {"ignore_hosts", QJsonArray{"localhost"}}, {"autoconfig_url", ""}};
}

// The settings the file holds; empty where there is none.
inline QJsonObject read(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(file.readAll()).object();
}

// Writes the desktop's settings as the user would set them.
inline bool write(const QString &path, const QJsonObject &settings)
{
    QFile file(path);
    const QByteArray text = QJsonDocument(settings).toJson();
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(text) == text.size();
}

// Whether `settings` point the desktop at the client's SOCKS5 listener on 127.0.0.1:`port`.
inline bool pointsAt(const QJsonObject &settings, int port)
{
    return settings.value(QStringLiteral("mode")).toString() == QLatin1String("manual")
        && settings.value(QStringLiteral("socks_host")).toString() == QLatin1String("127.0.0.1")
        && settings.value(QStringLiteral("socks_port")).toInt() == port;
}

} // namespace DesktopProxyFile
