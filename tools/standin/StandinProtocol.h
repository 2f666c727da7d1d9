#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>

#include <map>
#include <optional>
#include <string>

// The service's side of the wire format (docs/protocol.md), written apart from the client's
// code so that the tests catch a mismatch instead of sharing it.
namespace StandinProtocol {

struct PlainPath
{
    QString path;
    qint64 timestamp = 0;
};

// "/" + Base64(AES(path + "/" + seconds)) back to the path; nothing when it does not decrypt.
std::optional<PlainPath> decryptPath(const QString &requestPath);

struct Envelope
{
    QJsonObject params;
    bool encryptResponse = true;
    bool signatureValid = false;
};

// The envelope fields from the query (GET) or the JSON body (POST), decrypted and checked.
std::optional<Envelope> openEnvelope(const std::map<std::string, std::string> &fields);
std::map<std::string, std::string> fieldsFromJson(const QByteArray &body);

QByteArray sealReply(const QJsonObject &reply);                  // with the API key
QByteArray sealUploadReply(const QJsonObject &reply);            // with the upload key
QByteArray sealHostList(const QStringList &hosts);               // remote host list body
QString expectedEtag();
QString probePath();

} // namespace StandinProtocol
