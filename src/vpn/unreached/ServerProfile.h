#pragma once

#include <QJsonObject>
#include <QString>

// Only ServerProfileManager, which nothing in the client creates yet, makes these; kept with it.
// One user-defined shadowsocks server, as kept in the "ServerProfiles" defaults array.
class ServerProfile
{
public:
    ServerProfile(); // a fresh upper-case UUID and the defaults

    QString uuid;
    QString serverHost;
    quint16 serverPort = 8379;
    QString method = QStringLiteral("aes-128-gcm");
    QString password;
    QString remark;
    QString plugin;
    QString pluginOptions;

    // "Id" when it holds text becomes the uuid (else a fresh one); the other keys fill their
    // fields when they hold a value of the right type. A "ServerPort" outside 0...65535 is not
    // truncated into range: the field keeps its default.
    static ServerProfile fromDictionary(const QJsonObject &dictionary);
    QJsonObject toDictionary() const;
    // A new profile: a fresh uuid, every other field copied.
    ServerProfile copy() const;

    static QString newUuid();
};
