#pragma once

#include "uikit/OverlayWidget.h"

class ConnectImageView;

// A cover over a whole view while its work runs: a 30 x 30 turning icon in the middle, and
// nothing under it can be clicked or typed into. The caller makes it with the host's rectangle,
// starts iconImgView()->setRotating(true) and closes it (closeOverlay) when the work ends.
class OOLoadingView : public OverlayWidget
{
    Q_OBJECT
public:
    OOLoadingView(const QRect &frame, QWidget *parent);

    // Made on first use, centred in the cover's first frame.
    ConnectImageView *iconImgView();

    // The usual road in one call: a cover over the whole host, turning, with the focus.
    static OOLoadingView *cover(QWidget *host);

private:
    ConnectImageView *m_iconImgView = nullptr;
    QRect m_initialFrame;
};
