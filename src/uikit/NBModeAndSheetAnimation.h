#pragma once

#include "uikit/PresentationAnimator.h"

#include <QPointer>

class NBBaseViewController;
class QWidget;

// A sheet inside the window: the shown screen, stretched to the root screen's size, inside a
// cover laid over the root. The root keeps the list of its sheets (presentedControllers).
// Nothing is animated. toVc is the root, fromVc the screen shown. The sheet comes and goes with
// its appear and disappear hooks; the root only hears that it is covered and uncovered, since it
// and the pages it shows stay in the window under the sheet.
class NBModeAndSheetAnimation : public PresentationAnimator
{
    Q_OBJECT
public:
    using PresentationAnimator::PresentationAnimator;

    QPointer<NBBaseViewController> toVc;
    QPointer<NBBaseViewController> fromVc;
    QPointer<QWidget> coverView;

    // presented: the screen shown as a sheet; presenting: the root.
    void animatePresentation(NBBaseViewController *presented, NBBaseViewController *presenting) override;
    void animateDismissal(NBBaseViewController *presented, NBBaseViewController *presenting, Done done) override;
};
