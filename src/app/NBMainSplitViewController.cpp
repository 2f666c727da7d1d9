#include "app/NBMainSplitViewController.h"

#include <QDebug>
#include <QPainter>

#include "app/NBLeftSideViewController.h"
#include "uikit/PresentedBackground.h"
#include "uikit/ScreenFactory.h"
#include "uikit/WindowInUse.h"
#include "app/AppLog.h"

NBMainSplitViewController::NBMainSplitViewController(QWidget *parent)
    : NBBaseViewController(parent)
{
    resize(800, 500);
}

NBMainSplitViewController::~NBMainSplitViewController()
{
    qCDebug(lcApp) << "deinit";
}

NBMainSplitViewController *NBMainSplitViewController::current()
{
    return qobject_cast<NBMainSplitViewController *>(WindowInUse::contentController());
}

QString NBMainSplitViewController::screenName(NBLeftMenuType type)
{
    switch (type) {
    case NBLeftMenuType::home:
        return ScreenFactory::key(QStringLiteral("Home"));
    case NBLeftMenuType::account:
        return QStringLiteral("NBMineViewController");
    case NBLeftMenuType::general:
        return ScreenFactory::key(QStringLiteral("Genaral"));
    case NBLeftMenuType::upgrade:
        return ScreenFactory::key(QStringLiteral("Upgrade"));
    case NBLeftMenuType::contact:
        return ScreenFactory::key(QStringLiteral("Contact"));
    case NBLeftMenuType::about:
        return ScreenFactory::key(QStringLiteral("About"));
    case NBLeftMenuType::login:
        return QStringLiteral("NBLoginViewCOntroller");
    }
    return QString();
}

void NBMainSplitViewController::viewDidLoad()
{
    NBBaseViewController::viewDidLoad();
    m_leftSide = new NBLeftSideViewController(this);
    m_contentPane = new QWidget(this);
    QPointer<NBMainSplitViewController> self(this);
    m_leftSide->selectBlock = [self](NBLeftMenuType type) {
        if (self)
            self->switchContent(type);
    };
    embedChildViewController(m_leftSide, this);
    m_contentPane->show();
    resizeEvent(nullptr);
    showInPane(homeVc());
}

NBBaseViewController *NBMainSplitViewController::existingScreen(NBLeftMenuType type) const
{
    return m_screens.value(int(type));
}

NBBaseViewController *NBMainSplitViewController::screen(NBLeftMenuType type)
{
    QPointer<NBBaseViewController> &slot = m_screens[int(type)];
    if (!slot) {
        QWidget *owner = type == NBLeftMenuType::login ? static_cast<QWidget *>(this) : m_contentPane;
        slot = ScreenFactory::instance().make(screenName(type), owner);
        slot->hide();
        if (type == NBLeftMenuType::login)
            slot->setRetainer(this); // kept for the next time, as the other pages are
    }
    return slot;
}

void NBMainSplitViewController::switchContent(NBLeftMenuType type)
{
    ensureLoaded();
    removeShown();
    if (type == NBLeftMenuType::login) {
        NBBaseViewController *login = screen(type);
        // Presenting a screen that is already up would be a second sheet of the same screen.
        if (!login->presentingViewController())
            presentRetainedViewControllerAsSheet(login);
        return;
    }
    showInPane(screen(type));
}

void NBMainSplitViewController::removeShown()
{
    QPointer<NBBaseViewController> shown = m_shown;
    m_shown = nullptr;
    unembedChildViewController(shown);
}

void NBMainSplitViewController::showInPane(NBBaseViewController *controller)
{
    if (!controller)
        return;
    controller->ensureLoaded();
    if (controller->parentWidget() != m_contentPane)
        controller->setParent(m_contentPane);
    controller->setGeometry(m_contentPane->rect());
    m_shown = controller;
    embedChildViewController(controller, m_contentPane);
}

void NBMainSplitViewController::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), PresentedBackground::pageColor());
}

void NBMainSplitViewController::resizeEvent(QResizeEvent *event)
{
    if (event)
        NBBaseViewController::resizeEvent(event);
    if (!m_leftSide)
        return;
    m_leftSide->setGeometry(0, 0, NBLeftSideViewController::kWidth, height());
    m_contentPane->setGeometry(NBLeftSideViewController::kWidth, 0, width() - NBLeftSideViewController::kWidth, height());
    if (m_shown)
        m_shown->setGeometry(m_contentPane->rect());
}
