#pragma once

#include <optional>

#include "settings/feedback/NBFeedbackDetailCell.h"
#include "settings/feedback/NBFeedbackDetailInfoModel.h"

// The conversation's first row: the feedback itself, "反馈内容：" over its text, its first
// picture and its time, with the user's head picture on the right.
class NBFeedbackInfoCell : public NBFeedbackDetailCell
{
    Q_OBJECT

public:
    using NBFeedbackDetailCell::NBFeedbackDetailCell;

    // Nothing without a feedback: the bubble stays empty.
    void configure(const std::optional<NBFeedbackDetailInfoModel> &data);
    const std::optional<NBFeedbackDetailInfoModel> &data() const { return m_data; }

protected:
    Placement placement() const override { return {Side::Right, true}; }
    qreal rowHeightWithText(qreal textHeight) const override;

private:
    std::optional<NBFeedbackDetailInfoModel> m_data;
};
