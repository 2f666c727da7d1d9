#include "settings/unreached/NBPictUreItem.h"

#include "uikit/NBClickImageView.h"
#include "uikit/UiImages.h"

NBPictUreItem::NBPictUreItem(QWidget *parent)
    : QWidget(parent)
{
    m_backgroudView = new QWidget(this);
    m_backgroudView->setAttribute(Qt::WA_StyledBackground);
    m_backgroudView->setStyleSheet(QStringLiteral("background: rgb(12, 26, 38); border-radius: 6px;"));
    m_iconImageView = new NBClickImageView(this);
    m_iconImageView->setAlignment(Qt::AlignCenter);
    m_deleteImageView = new NBClickImageView(this);
    m_deleteImageView->setFixedSize(16, 16);
    m_deleteImageView->setPixmap(UiImages::pixmap(QStringLiteral("delete_image_icon"), QSize(16, 16)));
    m_deleteImageView->hide();
    m_iconImageView->clickActionBlock = [this] {
        if (clickActionBlock)
            clickActionBlock();
    };
    m_deleteImageView->clickActionBlock = [this] {
        if (deleteActionBlock)
            deleteActionBlock();
    };
}

void NBPictUreItem::resizeEvent(QResizeEvent *)
{
    m_backgroudView->setGeometry(rect());
    m_iconImageView->setGeometry(rect().adjusted(4, 4, -4, -4));
    m_deleteImageView->move(width() - m_deleteImageView->width(), 0);
    m_deleteImageView->raise();
}
