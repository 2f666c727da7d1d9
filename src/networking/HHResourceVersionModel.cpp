#include "networking/HHResourceVersionModel.h"

#include "common/JsonFields.h"

bool HHResourceVersionModel::decodeInto(const QJsonObject &json, HHResourceVersionModel &model)
{
    JsonFields fields(json);
    model.domainVersion = fields.text(QStringLiteral("domainVersion"));
    model.advertisementVersion = fields.integer(QStringLiteral("advertisementVersion"));
    model.nodelineVersion = fields.integer(QStringLiteral("nodelineVersion"));
    if (const std::optional<QJsonObject> product = fields.object(QStringLiteral("productVersion"))) {
        model.productVersion = HHProductVersion::fromJson(*product);
        if (!model.productVersion)
            return false;
    }
    model.logReportSwitch = fields.boolean(QStringLiteral("logReportSwitch"));
    model.h5Version = fields.text(QStringLiteral("h5Version"));
    model.notificationVersion = fields.integer(QStringLiteral("notificationVersion"));
    model.aclVersion = fields.integer(QStringLiteral("aclVersion"));
    return fields.ok();
}

std::optional<HHResourceVersionModel> HHResourceVersionModel::fromJson(const QJsonObject &json)
{
    HHResourceVersionModel model;
    if (!decodeInto(json, model))
        return std::nullopt;
    return model;
}

QJsonObject HHResourceVersionModel::toJson() const
{
    QJsonObject json;
    JsonFields::put(json, QStringLiteral("domainVersion"), domainVersion);
    JsonFields::put(json, QStringLiteral("advertisementVersion"), advertisementVersion);
    JsonFields::put(json, QStringLiteral("nodelineVersion"), nodelineVersion);
    if (productVersion)
        json.insert(QStringLiteral("productVersion"), productVersion->toJson());
    JsonFields::put(json, QStringLiteral("logReportSwitch"), logReportSwitch);
    JsonFields::put(json, QStringLiteral("h5Version"), h5Version);
    JsonFields::put(json, QStringLiteral("notificationVersion"), notificationVersion);
    JsonFields::put(json, QStringLiteral("aclVersion"), aclVersion);
    return json;
}
