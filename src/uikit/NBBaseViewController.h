#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>

#include <concepts>
#include <memory>
#include <vector>

#include "uikit/BackgroundWindowMove.h"

class PresentationAnimator;

// Base of every screen. A screen is its own root widget, with an explicit lifecycle:
//
//  - viewDidLoad() runs once, from ensureLoaded(): the first time a container shows the screen
//    (or a caller asks for it). Build the children there, not in the constructor, so a screen
//    made early (the split view's lazy slots, the factory) costs nothing until it is shown.
//  - viewWillAppear()/viewDidAppear()/viewWillDisappear()/viewDidDisappear() run through
//    setAppearing(), which every container calls when it moves a screen into or out of the
//    window: the presentation animators, the split view, the window's content swap, the sheets;
//    and through tellCoveredBySheet(), which tells a window's root alone that a sheet covers it
//    or has left it. Never from showEvent: that also fires when the window is restored from the dock, and "each
//    time shown" work (requests, analytics) must not. Overrides call the base.
//  - A child screen (addChildViewController) shown inside its parent appears and disappears with
//    it: setAppearing() carries the change down, so a container that embeds a screen has nothing
//    to forward and nothing to forget. embedChildViewController() puts a child in, also while
//    the parent is in the window; unembedChildViewController() takes it out.
//
// Presenting: presentViewController(std::move(vc), animator) records {vc, animator} and lets the
// animator put vc's view into this screen's view (NBPresentationAnimator) or over the window's
// root (NBModeAndSheetAnimation). The presented screen becomes a Qt child of the presenting side,
// so it dies with it; after its dismissal it is deleted, unless setRetainer() names a widget that
// keeps it for the next time (the split view's lazily made login screen, presented again with
// presentRetainedViewController).
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

    // The one road into and out of the window. Loads the screen, then runs viewWillAppear and
    // viewDidAppear (or the disappear pair) on it and on every screen shown inside it: its child
    // screens that are not hidden (embedded ones, pages presented over it), all the "will" hooks
    // before the "did" ones. A screen already in the asked state is left alone, so a change reaches each screen
    // once however many containers pass it on.
    static void setAppearing(NBBaseViewController *screen, bool appearing);
    // A window's root covered by a sheet, or uncovered again: the root alone is told (its
    // disappear or appear pair). It stays in the window under the sheet, and so do its menu and
    // page, which neither stop nor run their "each time shown" work again; isAppearing() keeps
    // saying so.
    static void tellCoveredBySheet(NBBaseViewController *root, bool covered);

    // Shows `child` in `into` (this screen or one of its widgets) as a child screen. It appears
    // at once when this screen is in the window, else when this screen appears.
    void embedChildViewController(NBBaseViewController *child, QWidget *into);
    // Takes a child screen out: it disappears when it was in the window, hides and leaves the
    // child list. The widget stays where it is; its owner decides its fate.
    void unembedChildViewController(NBBaseViewController *child);

    // --- Presentation -------------------------------------------------------------------------
    // Presents a screen made for this presentation; takes ownership of the animator. The shown
    // screen belongs to the presentation and comes back. Refused (no screen or animator), the
    // screen is deleted here and nullptr comes back, so no caller deletes a screen by hand.
    template <typename Screen>
        requires std::derived_from<Screen, NBBaseViewController>
    Screen *presentViewController(std::unique_ptr<Screen> controller, PresentationAnimator *animator)
    {
        Screen *shown = controller.get();
        if (!startPresentation(shown, animator))
            return nullptr;
        controller.release();
        return shown;
    }
    // Presents again a screen its retainer keeps between presentations (setRetainer). False, and
    // the screen left to its retainer, for a screen without one or one presented already.
    bool presentRetainedViewController(NBBaseViewController *controller, PresentationAnimator *animator);
    // False when controller was not presented by this screen.
    bool dismissViewController(NBBaseViewController *controller);
    // Dismisses this screen from whoever presented it; nothing when nobody did.
    void dismissController();
    // The target of back and close buttons.
    void dismissAction() { dismissController(); }
    // Shown over the content of the window in use when that window has a root screen (its root
    // presents it with NBModeAndSheetAnimation); else as a window-modal dialog over this screen's
    // window. Ownership as with presentViewController: a refused screen is deleted here.
    template <typename Screen>
        requires std::derived_from<Screen, NBBaseViewController>
    Screen *presentViewControllerAsSheet(std::unique_ptr<Screen> controller)
    {
        Screen *shown = controller.get();
        if (!startSheet(shown))
            return nullptr;
        controller.release();
        return shown;
    }
    // A retained screen (setRetainer) shown again as a sheet; false as presentRetainedViewController.
    bool presentRetainedViewControllerAsSheet(NBBaseViewController *controller);

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
    // The presentation itself; the caller decides what becomes of a refused screen. Takes
    // ownership of the animator. False (and nothing changes) for a missing controller or
    // animator, for this screen itself, or for a screen that is presented already.
    bool startPresentation(NBBaseViewController *controller, PresentationAnimator *animator);
    bool startSheet(NBBaseViewController *controller);
    // Records the state; true when it changed, so the screen is told.
    static bool markAppearing(NBBaseViewController *screen, bool appearing);
    struct Presentation;
    // This screen and the screens shown inside it, outermost first.
    void collectShownScreens(QList<QPointer<NBBaseViewController>> &into);
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
