#pragma once

#include "settings/feedback/NBFeedbackRecordCell.h"

// A record the user wrote: head picture "headpic" on the right.
class NBFeedbackGuestCell : public NBFeedbackRecordCell
{
    Q_OBJECT

public:
    using NBFeedbackRecordCell::NBFeedbackRecordCell;

protected:
    Placement placement() const override { return {Side::Right, true}; }
    QString headPictureName() const override { return QStringLiteral("headpic"); }
};
