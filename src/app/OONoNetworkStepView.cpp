#include "app/OONoNetworkStepView.h"

#include <QLabel>
#include <QMouseEvent>

#include "uikit/NSFontHelper.h"
#include "uikit/RoundedPanel.h"

OONoNetworkStepView::OONoNetworkStepView(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_NoMousePropagation);
    m_cornerView = new RoundedPanel(QColor(57, 68, 81), 8, this);
    m_cornerView->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_tipLab = new QLabel(m_cornerView);
    m_tipLab->setFont(NSFontHelper::getRegularPingFangFont(14));
    m_tipLab->setWordWrap(true);
    m_tipLab->setTextFormat(Qt::RichText);
    QPalette palette = m_tipLab->palette();
    palette.setColor(QPalette::WindowText, Qt::white);
    m_tipLab->setPalette(palette);
}

int OONoNetworkStepView::heightForWidth(int width) const
{
    return m_tipLab->heightForWidth(qMax(1, width - 30)) + 12;
}

void OONoNetworkStepView::mousePressEvent(QMouseEvent *event)
{
    event->accept();
    if (event->button() != Qt::LeftButton && event->button() != Qt::RightButton)
        return;
    if (tapAction)
        tapAction();
}

void OONoNetworkStepView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_cornerView->setGeometry(rect());
    m_tipLab->setGeometry(15, 6, qMax(1, width() - 30), qMax(0, height() - 12));
}
