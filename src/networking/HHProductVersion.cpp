#include "networking/HHProductVersion.h"

#include "common/JsonFields.h"

std::optional<HHProductVersion> HHProductVersion::fromJson(const QJsonObject &json)
{
    JsonFields fields(json);
    HHProductVersion product;
    product.version = fields.text(QStringLiteral("version"));
    product.state = fields.integer(QStringLiteral("state"));
    if (!fields.ok())
        return std::nullopt;
    return product;
}

QJsonObject HHProductVersion::toJson() const
{
    QJsonObject json;
    JsonFields::put(json, QStringLiteral("version"), version);
    JsonFields::put(json, QStringLiteral("state"), state);
    return json;
}
