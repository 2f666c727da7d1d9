#include "settings/feedback/NBFeedbackDetailModel.h"

#include <QJsonArray>

#include "common/JsonFields.h"

std::optional<NBFeedbackDetailModel> NBFeedbackDetailModel::fromJson(const QJsonObject &json)
{
    NBFeedbackDetailModel model;
    const QJsonValue vo = json.value(QStringLiteral("feedbackVo"));
    if (vo.isObject()) {
        model.feedbackVo = NBFeedbackDetailInfoModel::fromJson(vo.toObject());
        if (!model.feedbackVo)
            return std::nullopt;
    } else if (!vo.isUndefined() && !vo.isNull()) {
        return std::nullopt;
    }
    const QJsonValue records = json.value(QStringLiteral("record"));
    if (records.isArray()) {
        QList<NBFeedbackRecordModel> list;
        for (const QJsonValue &entry : records.toArray()) {
            const std::optional<NBFeedbackRecordModel> decoded = entry.isObject() ? NBFeedbackRecordModel::fromJson(entry.toObject()) : std::nullopt;
            if (!decoded)
                return std::nullopt;
            list << *decoded;
        }
        model.record = list;
    } else if (!records.isUndefined() && !records.isNull()) {
        return std::nullopt;
    }
    JsonFields reader(json);
    model.state = reader.integer(QStringLiteral("state"));
    if (!reader.ok())
        return std::nullopt;
    return model;
}
