#pragma once

// Offered by a screen that wants the empty state's button (the feedback list does).
class NBMessageDefaultViewProtocol
{
public:
    virtual ~NBMessageDefaultViewProtocol() = default;
    virtual void defaultViewDidConfirm() = 0;
};
