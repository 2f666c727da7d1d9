#include "settings/general/OOGeneralModel.h"

#include <cmath>

namespace {

// A present key of the wrong type fails the row; a missing key or JSON null is simply absent.
template <class T, class Read>
bool readOptional(const QJsonObject &json, const QString &key, std::optional<T> &out, Read read)
{
    const QJsonValue value = json.value(key);
    if (value.isUndefined() || value.isNull())
        return true;
    std::optional<T> parsed = read(value);
    if (!parsed)
        return false;
    out = std::move(parsed);
    return true;
}

std::optional<QString> asText(const QJsonValue &value)
{
    return value.isString() ? std::optional<QString>(value.toString()) : std::nullopt;
}

std::optional<bool> asBool(const QJsonValue &value)
{
    return value.isBool() ? std::optional<bool>(value.toBool()) : std::nullopt;
}

std::optional<double> asNumber(const QJsonValue &value)
{
    return value.isDouble() ? std::optional<double>(value.toDouble()) : std::nullopt;
}

std::optional<qint64> asInteger(const QJsonValue &value)
{
    if (!value.isDouble())
        return std::nullopt;
    const double number = value.toDouble();
    if (!std::isfinite(number) || number != std::trunc(number))
        return std::nullopt;
    return value.toInteger();
}

} // namespace

std::optional<OOGeneralModel> OOGeneralModel::fromJson(const QJsonObject &json)
{
    OOGeneralModel model;
    const std::optional<QString> title = asText(json.value(QStringLiteral("title")));
    const std::optional<qint64> type = asInteger(json.value(QStringLiteral("type")));
    const std::optional<bool> hasSubTitle = asBool(json.value(QStringLiteral("hasSubTitle")));
    const std::optional<bool> hasArrow = asBool(json.value(QStringLiteral("hasArrow")));
    if (!title || !type || !hasSubTitle || !hasArrow)
        return std::nullopt;
    model.title = *title;
    model.type = *type;
    model.hasSubTitle = *hasSubTitle;
    model.hasArrow = *hasArrow;
    if (!readOptional(json, QStringLiteral("subTitle"), model.subTitle, asText)
        || !readOptional(json, QStringLiteral("state"), model.state, asBool)
        || !readOptional(json, QStringLiteral("info"), model.info, asText)
        || !readOptional(json, QStringLiteral("cellHight"), model.cellHight, asNumber))
        return std::nullopt;
    return model;
}

QJsonObject OOGeneralModel::toJson() const
{
    QJsonObject json{{QStringLiteral("title"), title},
                     {QStringLiteral("type"), type},
                     {QStringLiteral("hasSubTitle"), hasSubTitle},
                     {QStringLiteral("hasArrow"), hasArrow}};
    if (subTitle)
        json.insert(QStringLiteral("subTitle"), *subTitle);
    if (state)
        json.insert(QStringLiteral("state"), *state);
    if (info)
        json.insert(QStringLiteral("info"), *info);
    if (cellHight)
        json.insert(QStringLiteral("cellHight"), *cellHight);
    return json;
}
