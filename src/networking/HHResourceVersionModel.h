#pragma once

#include <QJsonObject>
#include <QString>

#include <optional>

#include "networking/HHProductVersion.h"

// The versions of the server-side resources ("resource_version" of the account reply, and the
// resource-package check): every field optional, a field of the wrong JSON type fails the record.
class HHResourceVersionModel
{
public:
    static std::optional<HHResourceVersionModel> fromJson(const QJsonObject &json);
    QJsonObject toJson() const;

    std::optional<QString> domainVersion;
    std::optional<qint64> advertisementVersion;
    std::optional<qint64> nodelineVersion;
    std::optional<HHProductVersion> productVersion;
    std::optional<bool> logReportSwitch;
    std::optional<QString> h5Version;
    std::optional<qint64> notificationVersion;
    std::optional<qint64> aclVersion;

protected:
    static bool decodeInto(const QJsonObject &json, HHResourceVersionModel &model);
};
