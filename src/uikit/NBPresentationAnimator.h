#pragma once

#include "uikit/PresentationAnimator.h"

#include <QPointer>

class NBBaseViewController;

// The general presentation: the presented screen's view goes on top of the presenting screen's
// view, at the frame it has, and fades in over 0.5 s. Works with its own toVc (presented) and
// fromVc (presenting), both weak; a step whose controller is gone is not carried out.
//
// The presented screen gets viewWillAppear/viewDidAppear when it goes in (the platform sent them
// on its own when a view entered a window; here nothing else would), and the disappear pair when
// it goes out. It lies over the presenting screen, so it paints its own background
// (PresentedBackground): a page made for the split view's pane never lets the screen beneath
// show through.
class NBPresentationAnimator : public PresentationAnimator
{
    Q_OBJECT
public:
    explicit NBPresentationAnimator(NBBaseViewController *to = nullptr, NBBaseViewController *from = nullptr,
                                    QObject *parent = nullptr);
    ~NBPresentationAnimator() override;

    QPointer<NBBaseViewController> toVc;
    QPointer<NBBaseViewController> fromVc;

    void animatePresentation(NBBaseViewController *presented, NBBaseViewController *presenting) override;
    void animateDismissal(NBBaseViewController *presented, NBBaseViewController *presenting, Done done) override;
};
