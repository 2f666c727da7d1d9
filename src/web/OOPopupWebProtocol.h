#pragma once

#include <QString>

// Who takes the notice popup's in-app destinations ("linkBuy", "my", "newsList", "lotteryPage",
// ...): the home screen.
class OOPopupWebProtocol
{
public:
    virtual ~OOPopupWebProtocol() = default;
    virtual void handleJumpAction(const QString &destination) = 0;
};
