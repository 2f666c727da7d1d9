#pragma once

#include <QJsonObject>
#include <QString>

#include <optional>

// One row of the more page. Every field is optional and keyed by its own name; a key present
// with another JSON type fails the whole record, so a half-read row is never shown.
class NBMineModel
{
public:
    static std::optional<NBMineModel> fromJson(const QJsonObject &json);
    // Only the fields that are set.
    QJsonObject toJson() const;

    std::optional<QString> title;
    std::optional<QString> subTitle;
    std::optional<QString> icon;
    std::optional<bool> hadRedDot;
    std::optional<qint64> type;
    std::optional<bool> selected;
};
