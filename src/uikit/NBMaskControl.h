#pragma once

#include "uikit/NBMaskView.h"

// The same mask where the screens expect a control.
class NBMaskControl : public NBMaskView
{
    Q_OBJECT
public:
    using NBMaskView::NBMaskView;
};
