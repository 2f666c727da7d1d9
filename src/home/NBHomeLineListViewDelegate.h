#pragma once

#include "vpn/OOHomeNodeModel.h"

// What the line popup tells its owner (the home screen): a line or a mode was chosen and stored
// under "kProxyLineInfo". The owner shows it and, while connected, reconnects with it.
class NBHomeLineListViewDelegate
{
public:
    virtual ~NBHomeLineListViewDelegate() = default;
    virtual void lineDidChange(const OOHomeNodeModel &line) = 0;
};
