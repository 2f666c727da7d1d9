#include "settings/feedback/NBFeedbackDetailInfoModel.h"

#include <cmath>

std::optional<NBFeedbackDetailInfoModel> NBFeedbackDetailInfoModel::fromJson(const QJsonObject &json)
{
    NBFeedbackDetailInfoModel model;
    if (!NBFeedbackListModel::codec().decodeInto(json, model))
        return std::nullopt;
    return model;
}

qreal NBFeedbackDetailInfoModel::infoRowHeight(const std::function<qreal(const QString &)> &measure) const
{
    qreal height = std::ceil(measure ? measure(infoPrefix() + content.value_or(QString())) : 0) + 14;
    if (imageUrl && !imageUrl->isEmpty())
        height += 88;
    return height + 62;
}
