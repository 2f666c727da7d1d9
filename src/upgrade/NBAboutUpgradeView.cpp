#include "upgrade/NBAboutUpgradeView.h"

#include <QFontMetrics>
#include <QLabel>
#include <QMouseEvent>

#include "uikit/NSFontHelper.h"
#include "uikit/RoundedPanel.h"
#include "uikit/UiImages.h"
#include "uikit/PlainText.h"

NBAboutUpgradeView::NBAboutUpgradeView(QWidget *parent)
    : QWidget(parent)
    , m_cornerView(new RoundedPanel(QColor(52, 120, 255), 15, this))
    , m_iconImgView(new QLabel(this))
    , m_nameLab(PlainText::label(QStringLiteral("发现新版本,为获绝佳体验,请更新..."), this))
{
    m_iconImgView->setPixmap(UiImages::pixmap(QStringLiteral("about_upgrade"), QSize(16, 16), devicePixelRatioF()));
    m_nameLab->setFont(NSFontHelper::getRegularPingFangFont(12));
    m_nameLab->setStyleSheet(QStringLiteral("color: rgb(206, 172, 137); background: transparent;"));
    // Presses go to the banner itself, whichever part is under the pointer.
    m_cornerView->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_iconImgView->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_nameLab->setAttribute(Qt::WA_TransparentForMouseEvents);
    setCursor(Qt::PointingHandCursor);
}

void NBAboutUpgradeView::upgradeAction()
{
    if (clickAction)
        clickAction();
}

void NBAboutUpgradeView::dismissAction()
{
    hide();
}

int NBAboutUpgradeView::preferredWidth() const
{
    const QFontMetrics metrics(m_nameLab->font());
    return 12 + 16 + 6 + metrics.boundingRect(QRect(0, 0, 375, 12), Qt::AlignLeft, m_nameLab->text()).width() + 13;
}

void NBAboutUpgradeView::mousePressEvent(QMouseEvent *event)
{
    m_pressed = event->button() == Qt::LeftButton;
    event->accept();
}

void NBAboutUpgradeView::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click = m_pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    m_pressed = false;
    event->accept();
    if (click)
        upgradeAction();
}

void NBAboutUpgradeView::resizeEvent(QResizeEvent *)
{
    m_cornerView->setGeometry(rect());
    m_iconImgView->setGeometry(12, (height() - 16) / 2, 16, 16);
    const int labelLeft = 12 + 16 + 6;
    m_nameLab->setGeometry(labelLeft, 0, std::max(0, width() - labelLeft - 13), height());
}
