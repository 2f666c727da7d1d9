#pragma once

#include <QJsonObject>
#include <QString>
#include <QVariantMap>

#include <optional>

// The server's upgrade offer, as the update check's "data"."settings" carries it. The two
// integers are required: an offer without them is no offer at all.
struct upgradeSetting
{
    qint64 update_state = 0;
    std::optional<QString> update_url;
    std::optional<QString> update_title;
    std::optional<QString> update_content;
    std::optional<QString> version;
    std::optional<QString> jump_url;
    qint64 is_update = 0;

    // Nothing when a required key is missing or any key has the wrong JSON type.
    static std::optional<upgradeSetting> fromJson(const QJsonObject &object);
    // Both integers always, each text only when present.
    QJsonObject toJson() const;
    // The encoded record as the user info of "preUpgradeDownloadSucceed".
    QVariantMap toDictionary() const;
    static std::optional<upgradeSetting> fromDictionary(const QVariantMap &dictionary);

    bool operator==(const upgradeSetting &) const = default;
};
