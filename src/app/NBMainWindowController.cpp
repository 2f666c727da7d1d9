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

NBMainWindowController::NBMainWindowController(QWidget *parent)
    : QWidget(parent)
{
    setupWindow();
}

NBMainWindowController::~NBMainWindowController()
{
    NotificationCenter::defaultCenter().removeObservers(this);
    qDebug().noquote() << "deinit in" << metaObject()->className() << "--- NBMainWindowController";
}

void NBMainWindowController::setupWindow()
{
    // Native decorations: close and minimise only, no title text, a fixed frame.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowMinimizeButtonHint
                   | Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral(" "));
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
        NBBaseViewController::sendDisappear(old);
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
        NBBaseViewController::sendAppear(controller);
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
    qDebug() << split;
    setContentViewController(split);
}

void NBMainWindowController::closeEvent(QCloseEvent *event)
{
    // Closing the one window quits the application, through the termination road.
    qDebug().noquote() << "window 即将消失";
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
    // Movable by its background, as the title bar would move it; the screens hand their
    // background presses up to here.
    event->accept();
    if (event->button() != Qt::LeftButton)
        return;
    Q_EMIT backgroundDragStarted();
    if (windowHandle())
        windowHandle()->startSystemMove();
}
