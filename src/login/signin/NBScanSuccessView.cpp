#include "login/signin/NBScanSuccessView.h"

#include <QLabel>
#include <QPainter>

#include "uikit/NSFontHelper.h"
#include "uikit/UiImages.h"
#include "common/Localization.h"
#include "uikit/PlainText.h"

NBScanSuccessView::NBScanSuccessView(QWidget *parent)
    : QWidget(parent)
{
    m_imgView = new QLabel(this);
    m_imgView->setPixmap(UiImages::pixmap(QStringLiteral("scan_success_icon"), QSize(56, 85), devicePixelRatioF()));
    m_imgView->resize(56, 85);
    m_tipLab = PlainText::label(QStringLiteral("扫码成功"), this);
    m_tipLab->setFont(NSFontHelper::getRegularPingFangFont(10));
    QPalette palette = m_tipLab->palette();
    palette.setColor(QPalette::WindowText, QColor(4, 184, 58));
    m_tipLab->setPalette(palette);
    m_tipLab->resize(m_tipLab->sizeHint());
}

void NBScanSuccessView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(0, 0, 0, int(0.9 * 255)));
}

void NBScanSuccessView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_imgView->move((width() - 56) / 2, 57);
    m_tipLab->move((width() - m_tipLab->width()) / 2, m_imgView->geometry().bottom() + 1 + 8);
}
