#include "uikit/DialogSheetAnimator.h"

#include "uikit/NBBaseViewController.h"

#include <QDialog>
#include <QVBoxLayout>

void DialogSheetAnimator::animatePresentation(NBBaseViewController *presented, NBBaseViewController *presenting)
{
    if (!presented || !presenting)
        return;
    // The dialog is a child of the presenting screen, so it closes with it.
    auto *dialog = new QDialog(presenting, Qt::Sheet);
    dialog->setWindowModality(Qt::WindowModal);
    auto *layout = new QVBoxLayout(dialog);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(presented);
    dialog->resize(presented->size());
    QPointer<NBBaseViewController> weak(presented);
    QPointer<NBBaseViewController> owner(presenting);
    // A dialog closed by the window manager (Escape, close button) dismisses like the screen.
    connect(dialog, &QDialog::rejected, this, [weak, owner] {
        if (weak && owner)
            owner->dismissViewController(weak);
    });
    m_dialog = dialog;
    NBBaseViewController::setAppearing(presented, true);
    presented->show();
    dialog->show();
}

void DialogSheetAnimator::animateDismissal(NBBaseViewController *presented, NBBaseViewController *presenting, Done done)
{
    if (presented) {
        NBBaseViewController::setAppearing(presented, false);
        presented->hide();
        // Out of the dialog before it goes, so the screen's fate stays with its presenter.
        presented->setParent(presenting);
    }
    if (m_dialog) {
        m_dialog->disconnect(this);
        m_dialog->hide();
        m_dialog->deleteLater();
    }
    if (done)
        done();
}
