#include "networking/HHResourceVersionModel.h"

#include "common/JsonFields.h"
#include "networking/JsonRecordCodec.h"

namespace {

using M = HHResourceVersionModel;

// The flat fields; "productVersion" is a record of its own.
const JsonRecordCodec<M> &codec()
{
    static const JsonRecordCodec<M> fields{
        {QStringLiteral("domainVersion"), &M::domainVersion},
        {QStringLiteral("advertisementVersion"), &M::advertisementVersion},
        {QStringLiteral("nodelineVersion"), &M::nodelineVersion},
        {QStringLiteral("logReportSwitch"), &M::logReportSwitch},
        {QStringLiteral("h5Version"), &M::h5Version},
        {QStringLiteral("notificationVersion"), &M::notificationVersion},
        {QStringLiteral("aclVersion"), &M::aclVersion},
    };
    return fields;
}

} // namespace

bool HHResourceVersionModel::decodeInto(const QJsonObject &json, HHResourceVersionModel &model)
{
    if (!codec().decodeInto(json, model))
        return false;
    JsonFields fields(json);
    const std::optional<QJsonObject> product = fields.object(QStringLiteral("productVersion"));
    if (!fields.ok())
        return false;
    model.productVersion.reset();
    if (!product)
        return true;
    model.productVersion = HHProductVersion::fromJson(*product);
    return model.productVersion.has_value();
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
    QJsonObject json = codec().encode(*this);
    if (productVersion)
        json.insert(QStringLiteral("productVersion"), productVersion->toJson());
    return json;
}
