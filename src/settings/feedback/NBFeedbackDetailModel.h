#pragma once

#include <QJsonObject>
#include <QList>

#include <optional>

#include "networking/NBFeedbackRecordModel.h"
#include "settings/feedback/NBFeedbackDetailInfoModel.h"

// One loaded conversation: the feedback, the exchange in the order sent, and its state.
class NBFeedbackDetailModel
{
public:
    // Nothing when a present key has the wrong type or an entry does not decode.
    static std::optional<NBFeedbackDetailModel> fromJson(const QJsonObject &json);

    // 1 finished, 2 adopted; anything else is an open conversation.
    bool isClosed() const { return state && (*state == 1 || *state == 2); }

    std::optional<NBFeedbackDetailInfoModel> feedbackVo;
    std::optional<QList<NBFeedbackRecordModel>> record;
    std::optional<qint64> state;
};
