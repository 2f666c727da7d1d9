#pragma once

#include "settings/feedback/NBFeedbackRecordCell.h"

// A record the service wrote: head picture "headpic2" on the left.
class NBFeedbackServiceCell : public NBFeedbackRecordCell
{
    Q_OBJECT

public:
    using NBFeedbackRecordCell::NBFeedbackRecordCell;

protected:
    Placement placement() const override { return {Side::Left, true}; }
    QString headPictureName() const override { return QStringLiteral("headpic2"); }
};
