#pragma once

#include <optional>

#include "networking/NBFeedbackRecordModel.h"
#include "settings/feedback/NBFeedbackDetailCell.h"

// What the user's and the service's bubbles share: one record's text, picture and time.
class NBFeedbackRecordCell : public NBFeedbackDetailCell
{
    Q_OBJECT

public:
    using NBFeedbackDetailCell::NBFeedbackDetailCell;

    // Nothing without a record: the bubble stays empty.
    void configure(const std::optional<NBFeedbackRecordModel> &data);
    const std::optional<NBFeedbackRecordModel> &data() const { return m_data; }

protected:
    virtual QString headPictureName() const = 0;
    qreal rowHeightWithText(qreal textHeight) const override;

private:
    std::optional<NBFeedbackRecordModel> m_data;
};
