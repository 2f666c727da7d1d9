#include "login/signin/QRLoginPayload.h"

#include <QJsonDocument>

#include "common/OOAES256.h"
#include "common/ProtocolConfig.h"

QJsonObject QRLoginPayload::loginRecord(const QJsonObject &data)
{
    QJsonObject record = data;
    record.insert(QStringLiteral("platform"), 2);
    return record;
}

std::optional<QString> QRLoginPayload::payload(const QJsonObject &record)
{
    const QString json = QString::fromUtf8(QJsonDocument(record).toJson(QJsonDocument::Compact));
    return OOAES256::encrypt(ProtocolConfig::qrLoginKey(), json);
}

std::optional<QJsonObject> QRLoginPayload::decode(const QString &payload)
{
    const std::optional<QString> json = OOAES256::decryptToString(ProtocolConfig::qrLoginKey(), payload);
    if (!json)
        return std::nullopt;
    const QJsonDocument document = QJsonDocument::fromJson(json->toUtf8());
    if (!document.isObject())
        return std::nullopt;
    return document.object();
}
