#include "upgrade/NBWarnInstallView.h"

#include <QLabel>

#include "uikit/NSFontHelper.h"
#include "uikit/UiImages.h"
#include "uikit/PlainText.h"

NBWarnInstallView::NBWarnInstallView(QWidget *parent)
    : QWidget(parent)
    , m_cornerView(new QWidget(this))
    , m_iconImgView(new QLabel(this))
    , m_nameLab(PlainText::label(QStringLiteral("更新过程中请勿退出应用，以免发生错误"), this))
{
    m_iconImgView->setPixmap(UiImages::pixmap(QStringLiteral("erro"), QSize(19, 17), devicePixelRatioF()));
    m_nameLab->setFont(NSFontHelper::getRegularPingFangFont(10));
    m_nameLab->setStyleSheet(QStringLiteral("color: rgb(222, 228, 244); background: transparent;"));
    m_nameLab->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

void NBWarnInstallView::upgradeAction()
{
    if (clickAction)
        clickAction();
}

void NBWarnInstallView::dismissAction()
{
    hide();
}

void NBWarnInstallView::resizeEvent(QResizeEvent *)
{
    m_cornerView->setGeometry(rect());
    const int iconTop = (height() - 17) / 2;
    m_iconImgView->setGeometry(0, iconTop, 19, 17);
    m_nameLab->setGeometry(19 + 6, 0, std::max(0, width() - 19 - 6 - 13), height());
}
