#include "login/signin/NBQRCodeExpireView.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>

#include "uikit/NSFontHelper.h"
#include "common/Localization.h"
#include "uikit/PlainText.h"

NBQRCodeExpireView::NBQRCodeExpireView(QWidget *parent)
    : QWidget(parent)
{
    m_tipLab = PlainText::label(QStringLiteral("二维码已失效"), this);
    m_tipLab->setFont(NSFontHelper::getRegularPingFangFont(14));
    QPalette palette = m_tipLab->palette();
    palette.setColor(QPalette::WindowText, Qt::white);
    m_tipLab->setPalette(palette);
    m_tipLab->resize(m_tipLab->sizeHint());

    m_refreshBtn = new QPushButton(QStringLiteral("点击刷新"), this);
    m_refreshBtn->setFont(NSFontHelper::getRegularPingFangFont(12));
    m_refreshBtn->setCursor(Qt::PointingHandCursor);
    m_refreshBtn->setStyleSheet(QStringLiteral("QPushButton { color: white; background: rgb(193, 0, 0); border: none; border-radius: 20px; }"
                                               " QPushButton:pressed { background: rgb(160, 0, 0); }"));
    m_refreshBtn->resize(110, 40);
}

QRect NBQRCodeExpireView::plateRect() const
{
    return m_tipLab->geometry().adjusted(-kPlatePadding, -kPlatePadding / 2, kPlatePadding, kPlatePadding / 2);
}

void NBQRCodeExpireView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(0, 0, 0, int(0.1 * 255)));
    // The light cover leaves the code's white modules white: the white text gets a dark plate of
    // its own, so it reads over any part of the code.
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, int(0.78 * 255)));
    painter.drawRoundedRect(plateRect(), 6, 6);
}

void NBQRCodeExpireView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_tipLab->move((width() - m_tipLab->width()) / 2, 79);
    m_refreshBtn->move((width() - 110) / 2, m_tipLab->geometry().bottom() + 1 + 17);
}
