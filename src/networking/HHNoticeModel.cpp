#include "networking/HHNoticeModel.h"

#include <QDateTime>
#include <QJsonArray>

#include "common/DefaultsKeys.h"
#include "common/JsonFields.h"
#include "common/UserDefaults.h"

std::optional<HHNoticeModel> HHNoticeModel::fromJson(const QJsonObject &json)
{
    JsonFields fields(json);
    HHNoticeModel notice;
    notice.title = fields.text(QStringLiteral("title"));
    notice.body = fields.text(QStringLiteral("body"));
    const std::optional<qint64> frequency = fields.integer(QStringLiteral("frequency"));
    const std::optional<qint64> id = fields.integer(QStringLiteral("id"));
    const std::optional<qint64> times = fields.integer(QStringLiteral("times"));
    const std::optional<qint64> nextPush = fields.integer(QStringLiteral("nextPushSeconds"));
    notice.templateText = fields.text(QStringLiteral("template"));
    if (!fields.ok() || !frequency || !id || !times || !nextPush)
        return std::nullopt;
    notice.frequency = *frequency;
    notice.id = *id;
    notice.times = *times;
    notice.nextPushSeconds = *nextPush;
    return notice;
}

std::optional<qint64> HHNoticeModel::lastShownAt(qint64 id)
{
    const QJsonArray records = UserDefaults::standard().arrayValue(DefaultsKeys::kAnouncePreTimeRecords).value_or(QJsonArray());
    for (const QJsonValue &value : records) {
        const QJsonObject record = value.toObject();
        if (record.value(QStringLiteral("id")).toInteger(-1) == id && record.value(QStringLiteral("timestamp")).isDouble())
            return record.value(QStringLiteral("timestamp")).toInteger();
    }
    return std::nullopt;
}

bool HHNoticeModel::shouldShow(bool frequencyOneSession) const
{
    return shouldShow(frequencyOneSession, QDateTime::currentSecsSinceEpoch());
}

bool HHNoticeModel::shouldShow(bool frequencyOneSession, qint64 nowSeconds) const
{
    const bool show = isDue(frequencyOneSession, nowSeconds);
    if (show)
        recordShown(id, nowSeconds);
    return show;
}

bool HHNoticeModel::isDue(bool frequencyOneSession, qint64 nowSeconds) const
{
    const std::optional<qint64> last = lastShownAt(id);
    bool show = false;
    switch (frequency) {
    case 5:
        show = !last;
        break;
    case 2:
        show = !last || *last + nextPushSeconds <= nowSeconds;
        break;
    case 1:
        show = !last || frequencyOneSession;
        break;
    default:
        break;
    }
    return show;
}

void HHNoticeModel::recordShown(qint64 id, qint64 nowSeconds)
{
    QJsonArray records = UserDefaults::standard().arrayValue(DefaultsKeys::kAnouncePreTimeRecords).value_or(QJsonArray());
    const QJsonObject entry{{QStringLiteral("id"), id}, {QStringLiteral("timestamp"), nowSeconds}};
    // One entry per notice: replace the earlier showing instead of letting the list grow.
    for (int i = 0; i < records.size(); ++i) {
        if (records.at(i).toObject().value(QStringLiteral("id")).toInteger(-1) == id) {
            records.replace(i, entry);
            UserDefaults::standard().setArray(DefaultsKeys::kAnouncePreTimeRecords, records);
            return;
        }
    }
    records.append(entry);
    UserDefaults::standard().setArray(DefaultsKeys::kAnouncePreTimeRecords, records);
}
