#pragma once

#include "app/HHAdModel.h"

// Offered by the screen that acts on a click on the header's banner.
class NBAdViewProtocol
{
public:
    virtual ~NBAdViewProtocol() = default;
    virtual void handleAdClick(const HHAdModel &model) = 0;
};
