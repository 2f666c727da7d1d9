#include "networking/HHProductVersion.h"

#include "networking/JsonRecordCodec.h"

namespace {

const JsonRecordCodec<HHProductVersion> &codec()
{
    static const JsonRecordCodec<HHProductVersion> fields{
        {QStringLiteral("version"), &HHProductVersion::version},
        {QStringLiteral("state"), &HHProductVersion::state},
    };
    return fields;
}

} // namespace

std::optional<HHProductVersion> HHProductVersion::fromJson(const QJsonObject &json)
{
    return codec().decode(json);
}

QJsonObject HHProductVersion::toJson() const
{
    return codec().encode(*this);
}
