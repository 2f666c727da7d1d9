#include "uikit/NBModeAndSheetAnimation.h"

#include "uikit/NBBaseViewController.h"
#include "uikit/NBMaskView.h"

void NBModeAndSheetAnimation::animatePresentation(NBBaseViewController *presented, NBBaseViewController *presenting)
{
    if (!presented || !presenting)
        return;
    presenting->appendPresentedController(presented);
    // The cover swallows what misses the sheet, so nothing of the root can be clicked through.
    auto *cover = new NBMaskView(presenting);
    cover->setGeometry(presenting->rect());
    cover->setFillsParent(true);
    presented->setParent(cover);
    presented->setGeometry(cover->rect());
    coverView = cover;
    cover->raise();
    cover->show();
    presented->show();
    NBBaseViewController::tellCoveredBySheet(presenting, true);
    NBBaseViewController::setAppearing(presented, true);
}

void NBModeAndSheetAnimation::animateDismissal(NBBaseViewController *presented, NBBaseViewController *, Done done)
{
    if (!toVc || !fromVc || !coverView)
        return;
    if (presented) {
        presented->hide();
        // Out of the cover before it goes; the presenter decides what becomes of the screen.
        presented->setParent(toVc);
    }
    coverView->hide();
    coverView->deleteLater();
    coverView = nullptr;
    toVc->removePresentedController(presented);
    NBBaseViewController::setAppearing(fromVc, false);
    NBBaseViewController::tellCoveredBySheet(toVc, false);
    if (done)
        done();
}
