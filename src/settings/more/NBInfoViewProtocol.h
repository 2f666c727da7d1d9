#pragma once

// Offered by the screen that opens the account sheet when the header's account area is clicked.
class NBInfoViewProtocol
{
public:
    virtual ~NBInfoViewProtocol() = default;
    virtual void handleInfoClick() = 0;
};
