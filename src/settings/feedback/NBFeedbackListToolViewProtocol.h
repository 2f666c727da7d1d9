#pragma once

// Offered by the feedback list: the bar's "反馈问题" button opens the new-feedback form.
class NBFeedbackListToolViewProtocol
{
public:
    virtual ~NBFeedbackListToolViewProtocol() = default;
    virtual void toolViewDidConfirm() = 0;
};
