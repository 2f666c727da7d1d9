#pragma once

#include "uikit/PresentationAnimator.h"

#include <QDialog>
#include <QPointer>



// The sheet used when no window is in use yet (start-up, tests): the screen in a window-modal
// dialog over the presenting screen's window.
class DialogSheetAnimator : public PresentationAnimator
{
    Q_OBJECT
public:
    using PresentationAnimator::PresentationAnimator;

    void animatePresentation(NBBaseViewController *presented, NBBaseViewController *presenting) override;
    void animateDismissal(NBBaseViewController *presented, NBBaseViewController *presenting, Done done) override;

    QDialog *dialog() const { return m_dialog; }

private:
    QPointer<QDialog> m_dialog;
};
