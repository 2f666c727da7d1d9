#include "settings/more/NBMineModel.h"

#include <cmath>

namespace {

template <class T>
bool read(const QJsonObject &json, const char *key, std::optional<T> &into)
{
    const QJsonValue value = json.value(QLatin1String(key));
    if (value.isUndefined() || value.isNull())
        return true;
    if constexpr (std::is_same_v<T, QString>) {
        if (!value.isString())
            return false;
        into = value.toString();
    } else if constexpr (std::is_same_v<T, bool>) {
        if (!value.isBool())
            return false;
        into = value.toBool();
    } else {
        const double number = value.toDouble();
        if (!value.isDouble() || std::floor(number) != number)
            return false;
        into = qint64(number);
    }
    return true;
}

} // namespace

std::optional<NBMineModel> NBMineModel::fromJson(const QJsonObject &json)
{
    NBMineModel model;
    if (!read(json, "title", model.title) || !read(json, "subTitle", model.subTitle) || !read(json, "icon", model.icon)
        || !read(json, "hadRedDot", model.hadRedDot) || !read(json, "type", model.type)
        || !read(json, "selected", model.selected))
        return std::nullopt;
    return model;
}

QJsonObject NBMineModel::toJson() const
{
    QJsonObject json;
    if (title) json.insert(QStringLiteral("title"), *title);
    if (subTitle) json.insert(QStringLiteral("subTitle"), *subTitle);
    if (icon) json.insert(QStringLiteral("icon"), *icon);
    if (hadRedDot) json.insert(QStringLiteral("hadRedDot"), *hadRedDot);
    if (type) json.insert(QStringLiteral("type"), *type);
    if (selected) json.insert(QStringLiteral("selected"), *selected);
    return json;
}
