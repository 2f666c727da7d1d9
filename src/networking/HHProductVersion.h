#pragma once

#include <QJsonObject>
#include <QString>

#include <optional>

// The product version inside the resource-version record: {"version", "state"}.
class HHProductVersion
{
public:
    static std::optional<HHProductVersion> fromJson(const QJsonObject &json);
    QJsonObject toJson() const;

    std::optional<QString> version;
    std::optional<qint64> state;
};
