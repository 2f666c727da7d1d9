#include "upgrade/NBUpgradeProgressController.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include "app/NBNoTitleWindow.h"
#include "upgrade/NBUpgradeController.h"

NBUpgradeProgressController::NBUpgradeProgressController(QWidget *window)
    : QObject(window)
    , m_window(window)
{
}

NBUpgradeProgressController *NBUpgradeProgressController::open(const QString &url, const QString &version)
{
    auto *content = new NBUpgradeController();
    content->version = version;
    content->downloadUrl = url;
    NBNoTitleWindow *window = NBNoTitleWindow::windowWithContentViewController(content);
    window->setupNoTitleWindow(QStringLiteral("升级"));
    auto *controller = new NBUpgradeProgressController(window);
    controller->showWindow();
    return controller;
}

NBUpgradeController *NBUpgradeProgressController::contentViewController() const
{
    return m_window ? m_window->findChild<NBUpgradeController *>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

void NBUpgradeProgressController::showWindow()
{
    if (!m_window)
        return;
    if (!m_loaded)
        windowDidLoad();
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

void NBUpgradeProgressController::windowDidLoad()
{
    m_loaded = true;
    if (NBUpgradeController *content = contentViewController())
        NBBaseViewController::setAppearing(content, true);
    // Centred on the screen it opens on.
    if (QScreen *screen = QGuiApplication::primaryScreen())
        m_window->move(screen->availableGeometry().center() - m_window->rect().center());
}
