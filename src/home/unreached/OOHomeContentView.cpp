#include "home/unreached/OOHomeContentView.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

#include "uikit/RoundedPanel.h"
#include "home/NBHomeViewController.h"
#include "home/unreached/OOHomeCircleView.h"

namespace {
// The home screen this view sits in, found up the parent chain as the original found it up the
// responder chain.
NBHomeViewController *homeAbove(QWidget *widget)
{
    for (QWidget *w = widget ? widget->parentWidget() : nullptr; w; w = w->parentWidget()) {
        if (auto *home = qobject_cast<NBHomeViewController *>(w))
            return home;
    }
    return nullptr;
}
} // namespace

OOHomeContentView::OOHomeContentView(QWidget *parent)
    : QWidget(parent)
{
    m_circleView = new OOHomeCircleView(this);
    m_lineContentView = new RoundedPanel(QColor(54, 80, 137), 15, this);
    m_lineImgView = new QLabel(m_lineContentView);
    m_lineImgView->setStyleSheet(QStringLiteral("border-radius: 5px;"));
    m_changeLineButton = new QPushButton(m_lineContentView);
    m_changeLineButton->setFlat(true);
    connect(m_changeLineButton, &QPushButton::clicked, this, &OOHomeContentView::changeLineAction);
}

void OOHomeContentView::startAction()
{
    if (NBHomeViewController *home = homeAbove(this))
        home->startConnect();
}

void OOHomeContentView::changeLineAction()
{
    if (NBHomeViewController *home = homeAbove(this))
        home->changeLine();
}

void OOHomeContentView::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    if (event->button() == Qt::LeftButton && m_circleView->geometry().contains(event->position().toPoint()))
        startAction();
}

void OOHomeContentView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_circleView->setGeometry(0, 0, width(), height() - 80);
    m_lineContentView->setGeometry(20, height() - 70, width() - 40, 50);
    m_lineImgView->setGeometry(15, 14, 22, 22);
    m_changeLineButton->setGeometry(m_lineContentView->rect());
}
