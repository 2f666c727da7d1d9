#include "app/OONoNetworkTipView.h"

#include <QLabel>

#include "uikit/NSFontHelper.h"
#include "uikit/RoundedPanel.h"
#include "uikit/UiImages.h"
#include "common/Localization.h"
#include "uikit/PlainText.h"

OONoNetworkTipView::OONoNetworkTipView(QWidget *parent)
    : QWidget(parent)
{
    m_cornerView = new RoundedPanel(QColor(39, 14, 1), 8, this);
    m_iconImgView = new QLabel(m_cornerView);
    m_iconImgView->setFixedSize(14, 14);
    m_iconImgView->setPixmap(UiImages::pixmap(QStringLiteral("hud_error_icon"), QSize(14, 14), devicePixelRatioF()));
    m_tipLab = PlainText::label(localizedByAppLanguage(QStringLiteral("NO_NET_TITLE")), m_cornerView);
    m_tipLab->setFont(NSFontHelper::getRegularPingFangFont(12));
    m_tipLab->setWordWrap(true);
    QPalette palette = m_tipLab->palette();
    palette.setColor(QPalette::WindowText, QColor(255, 151, 151));
    m_tipLab->setPalette(palette);
    for (QWidget *child : {static_cast<QWidget *>(m_iconImgView), static_cast<QWidget *>(m_tipLab)})
        child->setAttribute(Qt::WA_TransparentForMouseEvents);
}

int OONoNetworkTipView::heightForWidth(int width) const
{
    const int labelWidth = qMax(1, width - kLabelInset - 15);
    return m_tipLab->heightForWidth(labelWidth) + 16;
}

void OONoNetworkTipView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_cornerView->setGeometry(rect());
    m_iconImgView->move(15, (height() - 14) / 2);
    m_tipLab->setGeometry(kLabelInset, 8, qMax(1, width() - kLabelInset - 15), qMax(0, height() - 16));
}
