#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>

#include <memory>
#include <vector>

#include "uikit/BackgroundWindowMove.h"

class PresentationAnimator;

// Base of every screen. A screen is its own root widget, with an explicit lifecycle:
//
//  - viewDidLoad() runs once, from ensureLoaded(): the first time a container shows the screen
//    (or a caller asks for it). Build the children there, not in the constructor, so a screen
//    made early (the split view's lazy slots, the factory) costs nothing until it is shown.
//  - viewWillAppear()/viewDidAppear()/viewWillDisappear()/viewDidDisappear() are called by the
//    containers that move screens in and out of the window: the presentation animators, the
//    split view, the window's content swap. Never from showEvent: that also fires when the
//    window is restored from the dock, and "each time shown" work (requests, analytics) must not.
//    Overrides call the base.
//
// Presenting: presentViewController(vc, animator) records {vc, animator} and lets the animator
// put vc's view into this screen's view (NBPresentationAnimator) or over the window's root
// (NBModeAndSheetAnimation). The presented screen becomes a Qt child of the presenting side, so
// it dies with it; after its dismissal it is deleted, unless setRetainer() names a widget that
// keeps it for the next time (the split view's lazily made login screen).
//
// Presses on a screen's background stop at the screen.
class NBBaseViewController : public QWidget
{
    Q_OBJECT
public:
    explicit NBBaseViewController(QWidget *parent = nullptr);
    ~NBBaseViewController() override;

    // The view of the screen: the screen itself (kept for readers who think in controllers).
    QWidget *view() { return this; }

    void ensureLoaded();
    bool isViewLoaded() const { return m_loaded; }
    // True between viewWillAppear and viewWillDisappear.
    bool isAppearing() const { return m_appearing; }

    virtual void viewDidLoad();
    virtual void viewWillAppear();
    virtual void viewDidAppear();
    virtual void viewWillDisappear();
    virtual void viewDidDisappear();

    // What containers call: loaded first, then both hooks.
    static void sendAppear(NBBaseViewController *controller);
    static void sendDisappear(NBBaseViewController *controller);

    // --- Presentation -------------------------------------------------------------------------
    // Takes ownership of the animator. False (and nothing changes) for a missing controller or
    // animator, for this screen itself, or for a screen that is presented already.
    bool presentViewController(NBBaseViewController *controller, PresentationAnimator *animator);
    // False when controller was not presented by this screen.
    bool dismissViewController(NBBaseViewController *controller);
    // Dismisses this screen from whoever presented it; nothing when nobody did.
    void dismissController();
    // The target of back and close buttons.
    void dismissAction() { dismissController(); }
    // Shown over the content of the window in use when that window has a root screen (its root
    // presents it with NBModeAndSheetAnimation); else as a window-modal dialog over this screen's
    // window.
    void presentViewControllerAsSheet(NBBaseViewController *controller);

    NBBaseViewController *presentingViewController() const { return m_presenting; }
    // Screens this one presented and has not dismissed yet, oldest first.
    QList<NBBaseViewController *> presentations() const;
    // The sheet list ("controllersKey"): the screens shown over this root as sheets.
    QList<NBBaseViewController *> presentedControllers() const;
    void appendPresentedController(NBBaseViewController *controller);
    void removePresentedController(NBBaseViewController *controller);

    // --- Child screens ------------------------------------------------------------------------
    void addChildViewController(NBBaseViewController *child);
    void removeFromParentViewController();
    NBBaseViewController *parentViewController() const { return m_parentController; }
    QList<NBBaseViewController *> childViewControllers() const;

    // After its dismissal the screen is moved under this widget (hidden) instead of deleted.
    void setRetainer(QWidget *retainer) { m_retainer = retainer; }
    QWidget *retainer() const { return m_retainer; }

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    struct Presentation;
    void finishDismissal(NBBaseViewController *controller);

    bool m_loaded = false;
    bool m_appearing = false;
    QByteArray m_typeName;
    QPointer<NBBaseViewController> m_presenting;
    std::vector<std::unique_ptr<Presentation>> m_presentations;
    QList<QPointer<NBBaseViewController>> m_presentedControllers;
    QPointer<NBBaseViewController> m_parentController;
    QList<QPointer<NBBaseViewController>> m_children;
    QPointer<QWidget> m_retainer;
    BackgroundWindowMove m_backgroundMove;
};
