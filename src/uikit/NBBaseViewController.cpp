#include "uikit/NBBaseViewController.h"

#include "uikit/DialogSheetAnimator.h"
#include "uikit/NBModeAndSheetAnimation.h"
#include "uikit/PresentationAnimator.h"
#include "uikit/WindowInUse.h"
#include "uikit/UiLog.h"

#include <QDebug>
#include <QMouseEvent>

#include <functional>

struct NBBaseViewController::Presentation
{
    QPointer<NBBaseViewController> controller;
    QPointer<PresentationAnimator> animator;
};

NBBaseViewController::NBBaseViewController(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_NoMousePropagation);
}

NBBaseViewController::~NBBaseViewController()
{
    qCDebug(lcUi).noquote() << "deinit in" << (m_typeName.isEmpty() ? QByteArray("NBBaseViewController") : m_typeName);
}

void NBBaseViewController::ensureLoaded()
{
    if (m_loaded)
        return;
    m_loaded = true;
    // Read here, where the dynamic type is known; the destructor only sees the base.
    m_typeName = metaObject()->className();
    viewDidLoad();
}

void NBBaseViewController::viewDidLoad()
{
    m_presentedControllers.clear();
}

void NBBaseViewController::viewWillAppear()
{
}

void NBBaseViewController::viewDidAppear()
{
}

void NBBaseViewController::viewWillDisappear()
{
}

void NBBaseViewController::viewDidDisappear()
{
}

namespace {

using ScreenList = QList<QPointer<NBBaseViewController>>;
using MarkAppearing = std::function<bool(NBBaseViewController *, bool)>;

// The hooks of one change over a tree read beforehand. `mark` records the new state and answers
// whether the screen changes at all. All "will" hooks first: a hook may show or hide things, and
// the "did" side must find the whole tree in its new state. `between` is the container's own step
// (showing or hiding the screen), so a screen builds its rows in viewWillAppear before it is on
// screen, and it runs whether anything changed or not.
void runTransition(const ScreenList &shown, bool appearing, const MarkAppearing &mark, const std::function<void()> &between)
{
    ScreenList changing;
    for (const QPointer<NBBaseViewController> &each : shown) {
        if (!each)
            continue;
        each->ensureLoaded();
        if (mark(each, appearing))
            changing.append(each);
    }
    for (const QPointer<NBBaseViewController> &each : changing) {
        if (!each)
            continue;
        if (appearing)
            each->viewWillAppear();
        else
            each->viewWillDisappear();
    }
    if (between)
        between();
    for (const QPointer<NBBaseViewController> &each : changing) {
        if (!each || each->isAppearing() != appearing)
            continue;
        if (appearing)
            each->viewDidAppear();
        else
            each->viewDidDisappear();
    }
}

} // namespace

bool NBBaseViewController::markAppearing(NBBaseViewController *screen, bool appearing)
{
    if (screen->m_appearing == appearing)
        return false;
    screen->m_appearing = appearing;
    return true;
}

void NBBaseViewController::setAppearing(NBBaseViewController *screen, bool appearing)
{
    if (!screen)
        return;
    // Loaded before the tree is read: viewDidLoad is where a container embeds its children.
    screen->ensureLoaded();
    ScreenList shown;
    screen->collectShownScreens(shown);
    runTransition(shown, appearing, &NBBaseViewController::markAppearing, {});
}

void NBBaseViewController::tellCoveredBySheet(NBBaseViewController *root, bool covered)
{
    if (!root)
        return;
    root->ensureLoaded();
    QPointer<NBBaseViewController> alive(root);
    if (covered) {
        root->viewWillDisappear();
        if (alive)
            alive->viewDidDisappear();
        return;
    }
    root->viewWillAppear();
    if (alive)
        alive->viewDidAppear();
}

void NBBaseViewController::collectShownScreens(QList<QPointer<NBBaseViewController>> &into)
{
    if (into.contains(this))
        return;
    into.append(this);
    // Child screens only: the embedded ones and the pages presented over this one. A sheet over
    // the window's root is the root's presentation but no child: covering the root does not
    // take the sheets already up out of the window.
    for (NBBaseViewController *child : childViewControllers()) {
        // A hidden child is not in the window: a page kept for later, a presentation on its way out.
        if (child->isVisibleTo(this))
            child->collectShownScreens(into);
    }
}

void NBBaseViewController::embedChildViewController(NBBaseViewController *child, QWidget *into)
{
    if (!child || child == this || !into)
        return;
    if (child->parentWidget() != into)
        child->setParent(into);
    addChildViewController(child);
    child->ensureLoaded();
    if (!m_appearing) {
        child->show();
        return;
    }
    ScreenList shown;
    child->collectShownScreens(shown);
    QPointer<NBBaseViewController> entering(child);
    runTransition(shown, true, &NBBaseViewController::markAppearing, [entering] {
        if (entering)
            entering->show();
    });
}

void NBBaseViewController::unembedChildViewController(NBBaseViewController *child)
{
    if (!child || child->m_parentController != this)
        return;
    ScreenList shown;
    child->collectShownScreens(shown);
    QPointer<NBBaseViewController> leaving(child);
    runTransition(shown, false, &NBBaseViewController::markAppearing, [leaving] {
        if (!leaving)
            return;
        leaving->hide();
        leaving->removeFromParentViewController();
    });
}

bool NBBaseViewController::presentRetainedViewController(NBBaseViewController *controller, PresentationAnimator *animator)
{
    std::unique_ptr<PresentationAnimator> owned(animator);
    if (!controller || !controller->m_retainer)
        return false;
    return startPresentation(controller, owned.release());
}

bool NBBaseViewController::startPresentation(NBBaseViewController *controller, PresentationAnimator *animator)
{
    std::unique_ptr<PresentationAnimator> owned(animator);
    if (!controller || !animator || controller == this || controller->m_presenting)
        return false;
    ensureLoaded();
    controller->ensureLoaded();
    animator->setParent(this);
    controller->m_presenting = this;
    auto record = std::make_unique<Presentation>();
    record->controller = controller;
    record->animator = owned.release();
    m_presentations.push_back(std::move(record));
    animator->animatePresentation(controller, this);
    return true;
}

bool NBBaseViewController::dismissViewController(NBBaseViewController *controller)
{
    auto it = std::find_if(m_presentations.begin(), m_presentations.end(),
                           [controller](const auto &record) { return record->controller == controller; });
    if (!controller || it == m_presentations.end())
        return false;
    QPointer<PresentationAnimator> animator = (*it)->animator;
    m_presentations.erase(it);
    controller->m_presenting = nullptr;
    if (!animator) {
        finishDismissal(controller);
        return true;
    }
    QPointer<NBBaseViewController> self(this);
    QPointer<NBBaseViewController> dismissed(controller);
    animator->animateDismissal(controller, this, [self, dismissed, animator] {
        if (animator)
            animator->deleteLater();
        if (self && dismissed)
            self->finishDismissal(dismissed);
    });
    return true;
}

void NBBaseViewController::finishDismissal(NBBaseViewController *controller)
{
    // Presented again while the fade ran: it belongs to its new presentation now.
    if (controller->m_presenting)
        return;
    if (controller->m_retainer) {
        controller->hide();
        controller->setParent(controller->m_retainer);
        return;
    }
    controller->hide();
    controller->deleteLater();
}

void NBBaseViewController::dismissController()
{
    if (m_presenting)
        m_presenting->dismissViewController(this);
}

bool NBBaseViewController::presentRetainedViewControllerAsSheet(NBBaseViewController *controller)
{
    if (!controller || !controller->m_retainer)
        return false;
    return startSheet(controller);
}

bool NBBaseViewController::startSheet(NBBaseViewController *controller)
{
    if (!controller)
        return false;
    NBBaseViewController *root = WindowInUse::contentController();
    if (root && root != controller) {
        auto *animator = new NBModeAndSheetAnimation;
        animator->toVc = root;
        animator->fromVc = controller;
        return root->startPresentation(controller, animator);
    }
    return startPresentation(controller, new DialogSheetAnimator);
}

QList<NBBaseViewController *> NBBaseViewController::presentations() const
{
    QList<NBBaseViewController *> list;
    for (const auto &record : m_presentations) {
        if (record->controller)
            list.append(record->controller);
    }
    return list;
}

QList<NBBaseViewController *> NBBaseViewController::presentedControllers() const
{
    QList<NBBaseViewController *> list;
    for (const auto &controller : m_presentedControllers) {
        if (controller)
            list.append(controller);
    }
    return list;
}

void NBBaseViewController::appendPresentedController(NBBaseViewController *controller)
{
    if (controller)
        m_presentedControllers.append(controller);
}

void NBBaseViewController::removePresentedController(NBBaseViewController *controller)
{
    m_presentedControllers.removeIf([controller](const QPointer<NBBaseViewController> &entry) {
        return !entry || entry == controller;
    });
}

void NBBaseViewController::addChildViewController(NBBaseViewController *child)
{
    if (!child || child == this || m_children.contains(child))
        return;
    if (child->m_parentController)
        child->removeFromParentViewController();
    child->m_parentController = this;
    m_children.append(child);
}

void NBBaseViewController::removeFromParentViewController()
{
    if (!m_parentController)
        return;
    m_parentController->m_children.removeIf([this](const QPointer<NBBaseViewController> &entry) {
        return !entry || entry == this;
    });
    m_parentController = nullptr;
}

QList<NBBaseViewController *> NBBaseViewController::childViewControllers() const
{
    QList<NBBaseViewController *> list;
    for (const auto &child : m_children) {
        if (child)
            list.append(child);
    }
    return list;
}

void NBBaseViewController::mousePressEvent(QMouseEvent *event)
{
    // No control took the press; on the background it moves the window when dragged.
    if (BackgroundWindowMove::isBackground(this, event->position().toPoint()))
        m_backgroundMove.press(event->globalPosition().toPoint(), event->button());
    else
        m_backgroundMove.release();
    event->accept();
}

void NBBaseViewController::mouseReleaseEvent(QMouseEvent *event)
{
    m_backgroundMove.release();
    event->accept();
}

void NBBaseViewController::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_backgroundMove.shouldStartMove(event->globalPosition().toPoint(), event->buttons())) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    event->accept();
    BackgroundWindowMove::startMove(this);
}
