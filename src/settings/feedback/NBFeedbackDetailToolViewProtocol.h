#pragma once

#include <optional>

#include "networking/NBFeedbackRecordModel.h"

// Offered by the conversation: the reply bar hands it each reply the service accepted.
class NBFeedbackDetailToolViewProtocol
{
public:
    virtual ~NBFeedbackDetailToolViewProtocol() = default;
    // `feedbackId` is the feedback the reply went to, so a reply that lands after another
    // feedback was opened never joins that one's conversation.
    virtual void appendRecord(const std::optional<NBFeedbackRecordModel> &record, qint64 feedbackId) = 0;
};
