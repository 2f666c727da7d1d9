#include "home/unreached/NBHomeHeaderView.h"

#include "uikit/UiImages.h"
#include "home/AssetImageView.h"

NBHomeHeaderView::NBHomeHeaderView(QWidget *parent)
    : QWidget(parent)
{
    m_imgView = new AssetImageView(QStringLiteral("home_logo_icon"), this);
}

void NBHomeHeaderView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    QSize size = UiImages::naturalSize(QStringLiteral("home_logo_icon"));
    if (size.isEmpty())
        size = QSize(40, 40);
    size = size.boundedTo(this->size());
    m_imgView->setGeometry((width() - size.width()) / 2, (height() - size.height()) / 2, size.width(), size.height());
}
