#include "uikit/NBPresentationAnimator.h"

#include "uikit/NBBaseViewController.h"
#include "uikit/PresentedBackground.h"
#include "uikit/ViewFader.h"
#include "uikit/UiLog.h"

#include <QDebug>

NBPresentationAnimator::NBPresentationAnimator(NBBaseViewController *to, NBBaseViewController *from, QObject *parent)
    : PresentationAnimator(parent)
    , toVc(to)
    , fromVc(from)
{
}

NBPresentationAnimator::~NBPresentationAnimator()
{
    qCDebug(lcUi).noquote() << "deinit in NBPresentationAnimator";
}

void NBPresentationAnimator::animatePresentation(NBBaseViewController *, NBBaseViewController *)
{
    if (!toVc || !fromVc)
        return;
    NBBaseViewController::setAppearing(fromVc, false);
    NBBaseViewController *to = toVc;
    PresentedBackground::ensure(to);
    fromVc->embedChildViewController(to, fromVc);
    to->raise();
    // The presenter is out of the window now, so embedding did not bring the page in.
    NBBaseViewController::setAppearing(to, true);
    ViewFader::fade(to, 0.0, 1.0, 500);
}

void NBPresentationAnimator::animateDismissal(NBBaseViewController *, NBBaseViewController *, Done done)
{
    if (!toVc || !fromVc)
        return;
    NBBaseViewController *to = toVc;
    NBBaseViewController::setAppearing(to, false);
    // Off the screen at once; the controller leaves its parent when the 0.5 s group has run.
    ViewFader::stop(to);
    to->hide();
    NBBaseViewController::setAppearing(fromVc, true);
    QPointer<NBBaseViewController> weakTo(to);
    ViewFader::afterDuration(500, this, [weakTo, done] {
        // Presented again meanwhile: the new presentation owns the parent link now.
        if (weakTo && !weakTo->presentingViewController())
            weakTo->removeFromParentViewController();
        if (done)
            done();
    });
}
