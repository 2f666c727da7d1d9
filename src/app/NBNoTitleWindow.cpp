#include "app/NBNoTitleWindow.h"

#include <QMouseEvent>
#include <QWindow>

#include "uikit/NBBaseViewController.h"

NBNoTitleWindow::NBNoTitleWindow(QWidget *parent)
    : QWidget(parent, Qt::Window)
{
    setAttribute(Qt::WA_DeleteOnClose);
}

NBNoTitleWindow *NBNoTitleWindow::windowWithContentViewController(NBBaseViewController *content)
{
    auto *window = new NBNoTitleWindow();
    window->m_content = content;
    if (!content)
        return window;
    content->setParent(window);
    window->resize(content->size());
    content->setGeometry(window->rect());
    // Presses that no control of the content takes reach its root, and move the window.
    content->installEventFilter(window);
    return window;
}

void NBNoTitleWindow::setupNoTitleWindow(const QString &title)
{
    // Without a maximise hint the window manager offers no button that would do nothing.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowMinimizeButtonHint
                   | Qt::WindowCloseButtonHint);
    setFixedSize(size());
    setWindowTitle(title);
}

bool NBNoTitleWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_content || event->type() != QEvent::MouseButtonPress)
        return QWidget::eventFilter(watched, event);
    auto *press = static_cast<QMouseEvent *>(event);
    if (press->button() != Qt::LeftButton)
        return QWidget::eventFilter(watched, event);
    Q_EMIT backgroundMoveStarted();
    if (QWindow *handle = windowHandle())
        handle->startSystemMove();
    return true;
}

void NBNoTitleWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (m_content)
        m_content->setGeometry(rect());
}
