#include "login/rows/NBSettingPushRowView.h"

#include <QLabel>
#include <QMouseEvent>

#include "uikit/NSFontHelper.h"
#include "uikit/RoundedPanel.h"
#include "uikit/UiImages.h"
#include "common/MKUserInfoManager.h"
#include "login/rows/NBSettingRowTexts.h"
#include "uikit/PlainText.h"

namespace {

QLabel *makeLabel(QWidget *parent, int pixelSize, const QColor &colour)
{
    auto *label = PlainText::label(parent);
    label->setFont(NSFontHelper::getRegularPingFangFont(pixelSize));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    return label;
}

} // namespace

NBSettingPushRowView::NBSettingPushRowView(QWidget *parent)
    : QWidget(parent)
{
    m_contentView = new RoundedPanel(QColor(33, 33, 33), 0, this);
    m_contentView->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_titleLabel = makeLabel(m_contentView, 14, QColor(222, 228, 244));
    m_subTitleLabel = makeLabel(m_contentView, 10, QColor(151, 157, 173));
    m_arrowImageView = new QLabel(m_contentView);
    m_arrowImageView->setPixmap(UiImages::pixmap(QStringLiteral("arrow_right"), QSize(7, 11), devicePixelRatioF()));
    m_lineView = new RoundedPanel(QColor(216, 216, 216), 0, m_contentView);
    setCursor(Qt::PointingHandCursor);
}

void NBSettingPushRowView::showItem(const NBSettingCellItem &item)
{
    m_titleLabel->setText(item.title.value_or(QString()));
    switch (item.cellType) {
    case NBSettingCellType::email:
    case NBSettingCellType::phone:
    case NBSettingCellType::passWord:
        m_subTitleLabel->setText(item.subTitle.value_or(QString()));
        m_arrowImageView->show();
        break;
    case NBSettingCellType::userId:
        m_subTitleLabel->setText(NBSettingRowTexts::userId(MKUserInfoManager::shared().currentUser()));
        m_arrowImageView->hide();
        break;
    case NBSettingCellType::status:
    case NBSettingCellType::expiredTime:
        m_subTitleLabel->setText(item.subTitle.value_or(QString()));
        m_arrowImageView->hide();
        break;
    case NBSettingCellType::switchAccount:
        break;
    }
    layoutParts();
}

void NBSettingPushRowView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutParts();
}

void NBSettingPushRowView::layoutParts()
{
    m_contentView->setGeometry(rect());
    const int w = width();
    const int h = height();
    m_titleLabel->adjustSize();
    m_titleLabel->move(23, (h - m_titleLabel->height()) / 2);
    m_arrowImageView->setGeometry(w - 19 - 7, (h - 11) / 2, 7, 11);
    m_subTitleLabel->adjustSize();
    m_subTitleLabel->move(w - 44 - m_subTitleLabel->width(), (h - m_subTitleLabel->height()) / 2);
    m_lineView->setGeometry(15, h - 1, qMax(0, w - 30), 1);
}

void NBSettingPushRowView::mousePressEvent(QMouseEvent *event)
{
    m_pressed = event->button() == Qt::LeftButton;
    event->accept();
}

void NBSettingPushRowView::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click = m_pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    m_pressed = false;
    event->accept();
    if (click)
        Q_EMIT clicked();
}
