#include "vpn/OOHomeNodeModel.h"

#include "common/DefaultsKeys.h"
#include "common/JsonUtils.h"
#include "common/UserDefaults.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <climits>

namespace {

// The service sends numbers as numbers; a numeric text is accepted too, as the platform's mapper
// does, and anything else leaves the field alone.
std::optional<int> readInt(const QJsonObject &json, const QString &key)
{
    const QJsonValue value = json.value(key);
    if (value.isDouble()) {
        const std::optional<qint64> number = JsonUtils::integerIn(value, INT_MIN, INT_MAX);
        return number ? std::optional<int>(int(*number)) : std::nullopt;
    }
    if (value.isString()) {
        bool ok = false;
        const int number = value.toString().trimmed().toInt(&ok);
        if (ok)
            return number;
    }
    return std::nullopt;
}

std::optional<bool> readBool(const QJsonObject &json, const QString &key)
{
    const QJsonValue value = json.value(key);
    if (value.isBool())
        return value.toBool();
    if (value.isDouble())
        return value.toDouble() != 0.0;
    return std::nullopt;
}

std::optional<QString> readString(const QJsonObject &json, const QString &key)
{
    const QJsonValue value = json.value(key);
    if (value.isString())
        return value.toString();
    if (value.isDouble())
        return QString::number(value.toDouble(), 'g', 17);
    return std::nullopt;
}

void readInto(const QJsonObject &json, const QString &key, QString &field)
{
    if (auto value = readString(json, key))
        field = *value;
}

void readInto(const QJsonObject &json, const QString &key, std::optional<QString> &field)
{
    if (auto value = readString(json, key))
        field = *value;
}

void readInto(const QJsonObject &json, const QString &key, int &field)
{
    if (auto value = readInt(json, key))
        field = *value;
}

void readInto(const QJsonObject &json, const QString &key, std::optional<int> &field)
{
    if (auto value = readInt(json, key))
        field = *value;
}

void readInto(const QJsonObject &json, const QString &key, bool &field)
{
    if (auto value = readBool(json, key))
        field = *value;
}

template<typename T>
void writeOptional(QJsonObject &json, const QString &key, const std::optional<T> &field)
{
    if (field)
        json.insert(key, *field);
}

} // namespace

OOHomeNodeModel OOHomeNodeModel::fromJson(const QJsonObject &json)
{
    OOHomeNodeModel model;
    readInto(json, QStringLiteral("name"), model.name);
    readInto(json, QStringLiteral("subName"), model.subName);
    readInto(json, QStringLiteral("ping"), model.ping);
    readInto(json, QStringLiteral("nodeName"), model.nodeName);
    readInto(json, QStringLiteral("id"), model.id);
    readInto(json, QStringLiteral("is_check_time"), model.isCheckTime);
    readInto(json, QStringLiteral("abbr_url"), model.abbrUrl);
    readInto(json, QStringLiteral("kind"), model.kind);
    readInto(json, QStringLiteral("group_name"), model.groupName);
    readInto(json, QStringLiteral("nodeRegionId"), model.nodeRegionId);
    readInto(json, QStringLiteral("isMark"), model.isMark);
    readInto(json, QStringLiteral("country"), model.country);
    readInto(json, QStringLiteral("city"), model.city);
    readInto(json, QStringLiteral("in_region_code"), model.inRegionCode);
    readInto(json, QStringLiteral("out_region_code"), model.outRegionCode);
    readInto(json, QStringLiteral("in_region_name"), model.inRegionName);
    readInto(json, QStringLiteral("line_mark"), model.lineMark);
    readInto(json, QStringLiteral("child_line_num"), model.childLineNum);
    readInto(json, QStringLiteral("childIndex"), model.childIndex);
    const QJsonValue children = json.value(QStringLiteral("childLines"));
    if (children.isArray()) {
        for (const QJsonValue &child : children.toArray()) {
            if (child.isObject())
                model.childLines.append(fromJson(child.toObject()));
        }
    }
    readInto(json, QStringLiteral("isGroup"), model.isGroup);
    readInto(json, QStringLiteral("isSelectedState"), model.isSelectedState);
    readInto(json, QStringLiteral("isClickState"), model.isClickState);
    readInto(json, QStringLiteral("isGlobel"), model.isGlobel);
    return model;
}

QJsonObject OOHomeNodeModel::toJson() const
{
    QJsonObject json;
    json.insert(QStringLiteral("name"), name);
    json.insert(QStringLiteral("subName"), subName);
    json.insert(QStringLiteral("ping"), ping);
    writeOptional(json, QStringLiteral("nodeName"), nodeName);
    writeOptional(json, QStringLiteral("id"), id);
    json.insert(QStringLiteral("is_check_time"), isCheckTime);
    writeOptional(json, QStringLiteral("abbr_url"), abbrUrl);
    writeOptional(json, QStringLiteral("kind"), kind);
    writeOptional(json, QStringLiteral("group_name"), groupName);
    writeOptional(json, QStringLiteral("nodeRegionId"), nodeRegionId);
    json.insert(QStringLiteral("isMark"), isMark);
    writeOptional(json, QStringLiteral("country"), country);
    writeOptional(json, QStringLiteral("city"), city);
    writeOptional(json, QStringLiteral("in_region_code"), inRegionCode);
    writeOptional(json, QStringLiteral("out_region_code"), outRegionCode);
    writeOptional(json, QStringLiteral("in_region_name"), inRegionName);
    writeOptional(json, QStringLiteral("line_mark"), lineMark);
    writeOptional(json, QStringLiteral("child_line_num"), childLineNum);
    writeOptional(json, QStringLiteral("childIndex"), childIndex);
    QJsonArray children;
    for (const OOHomeNodeModel &child : childLines)
        children.append(child.toJson());
    json.insert(QStringLiteral("childLines"), children);
    json.insert(QStringLiteral("isGroup"), isGroup);
    json.insert(QStringLiteral("isSelectedState"), isSelectedState);
    json.insert(QStringLiteral("isClickState"), isClickState);
    json.insert(QStringLiteral("isGlobel"), isGlobel);
    return json;
}

QString OOHomeNodeModel::toJsonText() const
{
    return QString::fromUtf8(QJsonDocument(toJson()).toJson(QJsonDocument::Compact));
}

std::optional<OOHomeNodeModel> OOHomeNodeModel::fromJsonText(const QString &text)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    return fromJson(document.object());
}

OOHomeNodeModel OOHomeNodeModel::copy() const
{
    OOHomeNodeModel result;
    result.name = name;
    result.subName = subName;
    result.ping = ping;
    result.nodeName = nodeName;
    result.id = id;
    result.isCheckTime = isCheckTime;
    result.abbrUrl = abbrUrl;
    result.kind = kind;
    result.groupName = groupName;
    result.nodeRegionId = nodeRegionId;
    result.isMark = isMark;
    result.country = country;
    result.city = city;
    result.inRegionCode = inRegionCode;
    result.outRegionCode = outRegionCode;
    result.inRegionName = inRegionName;
    result.lineMark = lineMark;
    result.childLineNum = childLineNum;
    result.isGroup = isGroup;
    for (const OOHomeNodeModel &child : childLines)
        result.childLines.append(child.copy());
    return result;
}

bool OOHomeNodeModel::storeAsProxyLine() const
{
    UserDefaults &defaults = UserDefaults::standard();
    defaults.setString(DefaultsKeys::kProxyLineInfo, toJsonText());
    return defaults.synchronize();
}

std::optional<OOHomeNodeModel> OOHomeNodeModel::cachedLine(const QList<OOHomeNodeModel> &fallbackLines)
{
    const std::optional<QString> text = UserDefaults::standard().stringValue(DefaultsKeys::kProxyLineInfo);
    if (text)
        return fromJsonText(*text);
    if (fallbackLines.isEmpty())
        return std::nullopt;
    return fallbackLines.first();
}

bool OOHomeNodeModel::operator==(const OOHomeNodeModel &other) const
{
    return name == other.name && subName == other.subName && ping == other.ping
        && nodeName == other.nodeName && id == other.id && isCheckTime == other.isCheckTime
        && abbrUrl == other.abbrUrl && kind == other.kind && groupName == other.groupName
        && nodeRegionId == other.nodeRegionId && isMark == other.isMark && country == other.country
        && city == other.city && inRegionCode == other.inRegionCode
        && outRegionCode == other.outRegionCode && inRegionName == other.inRegionName
        && lineMark == other.lineMark && childLineNum == other.childLineNum
        && childIndex == other.childIndex && childLines == other.childLines
        && isGroup == other.isGroup && isSelectedState == other.isSelectedState
        && isClickState == other.isClickState && isGlobel == other.isGlobel;
}
