#include "app/NBMainWindowController.h"

#include <QCloseEvent>
#include <QDebug>
#include <QGuiApplication>
#include <QScreen>
#include <QWindow>

#include "app/NBMainSplitViewController.h"
#include "uikit/NBBaseViewController.h"
#include "uikit/WindowInUse.h"
#include "common/NotificationCenter.h"
#include "common/NotificationNames.h"
#include "app/AppLog.h"

NBMainWindowController::NBMainWindowController(QWidget *parent)
    : QWidget(parent)
{
    setupWindow();
}

NBMainWindowController::~NBMainWindowController()
{
    NotificationCenter::defaultCenter().removeObservers(this);
    qCDebug(lcApp).noquote() << "deinit in" << metaObject()->className() << "--- NBMainWindowController";
}

void NBMainWindowController::setupWindow()
{
    // Native decorations: close and minimise only, and a fixed frame the window manager is told
    // about, so it offers no maximise. The title bar shows no text of the program's own, but task
    // bars and window switchers read the title: it is the program's name.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowMinimizeButtonHint
                   | Qt::WindowCloseButtonHint);
    setWindowTitle(kWindowTitle);
    setFixedSize(kSize);
    setAttribute(Qt::WA_NoMousePropagation);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::black);
    setPalette(palette);
    setAutoFillBackground(true);

    QPointer<NBMainWindowController> self(this);
    const auto reload = [self](const Notification &) {
        if (self)
            self->switchLanguageAction();
    };
    NotificationCenter &center = NotificationCenter::defaultCenter();
    center.addObserver(NotificationNames::kSwitchLanguge, this, reload, NotificationCenter::Delivery::MainThread);
    center.addObserver(NotificationNames::kPopToHomeVcNotification, this, reload,
                       NotificationCenter::Delivery::MainThread);
}

void NBMainWindowController::centreOnScreen()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    move(area.center() - QPoint(width() / 2, height() / 2));
}

void NBMainWindowController::setContentViewController(NBBaseViewController *controller)
{
    QPointer<NBBaseViewController> old = m_content;
    if (old == controller)
        return;
    if (old) {
        NBBaseViewController::setAppearing(old, false);
        old->hide();
    }
    m_content = controller;
    if (controller) {
        controller->setParent(this);
        controller->setGeometry(rect());
        controller->ensureLoaded();
        WindowInUse::setContentWidget(controller);
        WindowInUse::setContentController(controller);
        controller->show();
        NBBaseViewController::setAppearing(controller, true);
    } else {
        WindowInUse::setContentWidget(nullptr);
        WindowInUse::setContentController(nullptr);
    }
    // Later, not now: the swap may come from a block the old content is still running.
    if (old)
        old->deleteLater();
}

void NBMainWindowController::switchLanguageAction()
{
    reloadSplitView();
}

void NBMainWindowController::reloadSplitView()
{
    if (!qobject_cast<NBMainSplitViewController *>(m_content))
        return;
    auto *split = new NBMainSplitViewController;
    qCDebug(lcApp) << split;
    setContentViewController(split);
}

void NBMainWindowController::closeEvent(QCloseEvent *event)
{
    // Closing the one window quits the application, through the termination road.
    qCDebug(lcApp).noquote() << "window 即将消失";
    event->accept();
}

void NBMainWindowController::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (m_content)
        m_content->setGeometry(rect());
}

void NBMainWindowController::mousePressEvent(QMouseEvent *event)
{
    m_backgroundMove.press(event->globalPosition().toPoint(), event->button());
    event->accept();
}

void NBMainWindowController::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_backgroundMove.shouldStartMove(event->globalPosition().toPoint(), event->buttons())) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    event->accept();
    BackgroundWindowMove::startMove(this);
}

void NBMainWindowController::mouseReleaseEvent(QMouseEvent *event)
{
    m_backgroundMove.release();
    event->accept();
}
