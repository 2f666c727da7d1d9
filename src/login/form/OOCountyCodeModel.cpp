#include "login/form/OOCountyCodeModel.h"

#include <cmath>

std::optional<OOCountyCodeModel> OOCountyCodeModel::fromJson(const QJsonObject &json)
{
    const QJsonValue en = json.value(QStringLiteral("en"));
    const QJsonValue zh = json.value(QStringLiteral("zh-Hans"));
    const QJsonValue code = json.value(QStringLiteral("code"));
    if (!en.isString() || !zh.isString() || !code.isDouble())
        return std::nullopt;
    const double number = code.toDouble();
    if (number != std::floor(number) || number < 0 || number > 99999)
        return std::nullopt;
    return OOCountyCodeModel{en.toString(), zh.toString(), int(number)};
}
