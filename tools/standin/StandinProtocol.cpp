#include "StandinProtocol.h"

#include <QJsonDocument>
#include <QJsonArray>
#include <QMessageAuthenticationCode>
#include <QStringList>

#include "common/OOAES256.h"
#include "common/ProtocolConfig.h"

namespace StandinProtocol {

std::optional<PlainPath> decryptPath(const QString &requestPath)
{
    if (!requestPath.startsWith(QLatin1Char('/')))
        return std::nullopt;
    const std::optional<QString> plain = OOAES256::decryptToString(ProtocolConfig::pathKey(), requestPath.mid(1));
    if (!plain)
        return std::nullopt;
    const int slash = plain->lastIndexOf(QLatin1Char('/'));
    if (slash <= 0)
        return std::nullopt;
    bool ok = false;
    const qint64 seconds = plain->mid(slash + 1).toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    return PlainPath{plain->left(slash), seconds};
}

std::map<std::string, std::string> fieldsFromJson(const QByteArray &body)
{
    std::map<std::string, std::string> fields;
    const QJsonObject object = QJsonDocument::fromJson(body).object();
    for (auto it = object.constBegin(); it != object.constEnd(); ++it)
        fields[it.key().toStdString()] = it.value().toString().toStdString();
    return fields;
}

std::optional<Envelope> openEnvelope(const std::map<std::string, std::string> &fields)
{
    auto field = [&fields](const char *name) {
        const auto it = fields.find(name);
        return it == fields.end() ? QString() : QString::fromStdString(it->second);
    };
    const QString data = field("encrypt_data");
    if (data.isEmpty())
        return std::nullopt;
    const std::optional<QByteArray> plain = OOAES256::decrypt(ProtocolConfig::paramKey(), data);
    if (!plain)
        return std::nullopt;
    const QJsonDocument doc = QJsonDocument::fromJson(*plain);
    if (!doc.isObject())
        return std::nullopt;
    Envelope envelope;
    envelope.params = doc.object();
    envelope.encryptResponse = field("encrypt_resp") != QLatin1String("0");
    const QByteArray message = (field("un_timestamp") + QLatin1Char('\n') + field("un_nonce") + QLatin1Char('\n') + data).toUtf8();
    const QByteArray key = ProtocolConfig::string(QStringLiteral("envelope.sign_key")).toUtf8();
    const QString expected = QString::fromLatin1(QMessageAuthenticationCode::hash(message, key, QCryptographicHash::Sha256).toHex());
    envelope.signatureValid = expected == field("sign_data");
    return envelope;
}

QByteArray sealReply(const QJsonObject &reply)
{
    return OOAES256::encryptBytes(ProtocolConfig::apiKey(), QJsonDocument(reply).toJson(QJsonDocument::Compact)).value_or(QString()).toLatin1();
}

QByteArray sealUploadReply(const QJsonObject &reply)
{
    return OOAES256::encryptBytes(ProtocolConfig::uploadKey(), QJsonDocument(reply).toJson(QJsonDocument::Compact)).value_or(QString()).toLatin1();
}

QByteArray sealHostList(const QStringList &hosts)
{
    return sealReply(QJsonObject{{QStringLiteral("hosts"), QJsonArray::fromStringList(hosts)}});
}

QString expectedEtag()
{
    return ProtocolConfig::string(QStringLiteral("etag.expected"));
}

QString probePath()
{
    return ProtocolConfig::string(QStringLiteral("probe.path"));
}

} // namespace StandinProtocol
