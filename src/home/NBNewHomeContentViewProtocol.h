#pragma once

#include <functional>

// What the connect area asks of the home screen.
class NBNewHomeContentViewProtocol
{
public:
    virtual ~NBNewHomeContentViewProtocol() = default;
    virtual void startConnect() = 0;
    virtual void stopConnect() = 0;
    virtual void stopProxy(bool toast, std::function<void()> completion) = 0;
};
