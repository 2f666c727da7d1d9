#pragma once

#include <QJsonObject>
#include <QString>

#include <optional>

// One advertisement as the service sends it. Every field is optional; a key present with another
// JSON type fails the whole record, so a half-understood advertisement is never shown.
class HHAdModel
{
public:
    static std::optional<HHAdModel> fromJson(const QJsonObject &json);
    // Only the fields that are set.
    QJsonObject toJson() const;

    std::optional<QString> advFlag;        // "adv_flag"
    std::optional<QString> closeSeconds;   // "close_seconds": the countdown, as decimal text
    std::optional<QString> customlizeFlag; // "customlize_flag"
    std::optional<qint64> id;              // "id"
    std::optional<QString> imgUrl;         // "img_url": its "fid" query value keys the cached picture
    std::optional<QString> linkUrl;        // "link_url": JSON text of the click dictionary
    std::optional<QString> showSeconds;    // "show_seconds"
    std::optional<qint64> type;            // "type"
};
