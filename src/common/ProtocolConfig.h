#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>

// The protocol values shared with the service (AES keys, IV, archive password, identity words,
// and the sections the network layer keeps beside them), read once from "protocol.json" in the
// resource folder. The stand-in service reads the same file, so both ends always agree.
//
// A missing or broken file is reported once in the log; every accessor then answers with an
// empty value, and the callers fail as values (an empty key or IV makes every AES call absent).
class ProtocolConfig
{
public:
    static QString apiKey();         // response decryption, the pages' "decryptString"
    static QString pathKey();        // encrypted request paths
    static QString paramKey();       // the envelope's "encrypt_data"
    static QString uploadKey();      // feedback-upload replies
    static QByteArray iv();          // the one shared IV: 16 raw bytes, or empty when not configured
    static QString qrLoginKey();
    static QString resourceArchivePassword();

    static QString projectName();    // the code word "tamsine"
    static QString vpnKey();
    static QString appChannel();

    // Generic access for the other sections, by "section.key" path ("hosts.defaults", "etag").
    // An unknown path gives an undefined value.
    static QJsonValue value(const QString &path);
    static QJsonObject object(const QString &section);
    static QString string(const QString &path);

    // True when the file was read and parsed; the reason otherwise.
    static bool isLoaded();
    static QString loadError();

    // Forgets the loaded file, so the next access reads it again from the resource folder.
    static void reloadForTesting();

private:
    ProtocolConfig() = delete;
};
