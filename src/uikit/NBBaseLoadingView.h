#pragma once

#include "uikit/OverlayWidget.h"

class NBRotationImageView;
class RoundedPanel;

// A small dark box with a turning image in the middle of the view it covers; the whole view is
// covered, so nothing under it takes clicks or keys (the visitor sign-in's wait).
class NBBaseLoadingView : public OverlayWidget
{
    Q_OBJECT
public:
    explicit NBBaseLoadingView(QWidget *parent = nullptr);

    // 32 x 32, RGB (16, 17, 27), corner radius 16, centred.
    RoundedPanel *contentView();
    // 17 x 17 at (7.5, 7.5) in the box.
    NBRotationImageView *imgView();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    RoundedPanel *m_contentView = nullptr;
    NBRotationImageView *m_imgView = nullptr;
};
