#include "settings/general/NBGeneralCell.h"

#include <QLabel>

#include "uikit/NSFontHelper.h"
#include "uikit/RoundedPanel.h"
#include "uikit/UiImages.h"
#include "uikit/PlainText.h"

namespace {

constexpr QSize kArrowSize(6, 10);

QLabel *textLabel(QWidget *parent, const char *colour)
{
    auto *label = PlainText::label(parent);
    label->setFont(NSFontHelper::getRegularPingFangFont(12));
    label->setStyleSheet(QStringLiteral("background: transparent; color: %1;").arg(QLatin1String(colour)));
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    return label;
}

} // namespace

NBGeneralCell::NBGeneralCell(QWidget *parent)
    : ClickableRow(parent)
{
    m_contentView = new RoundedPanel(QColor(23, 35, 48), 10, this);
    m_contentView->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_nameText = textLabel(m_contentView, "rgb(191,191,191)");
    m_subNameText = textLabel(m_contentView, "rgb(88,90,93)");
    m_subNameText->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_arrowImgView = new QLabel(m_contentView);
    m_arrowImgView->setFixedSize(kArrowSize);
    m_arrowImgView->setPixmap(UiImages::pixmap(QStringLiteral("icn_more"), kArrowSize));
    m_arrowImgView->setAttribute(Qt::WA_TransparentForMouseEvents);
    setCursor(Qt::PointingHandCursor);
}

void NBGeneralCell::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_contentView->setGeometry(16, 5, qMax(0, width() - 32), qMax(0, height() - 10));
    const int contentWidth = m_contentView->width();
    const int contentHeight = m_contentView->height();
    m_arrowImgView->move(contentWidth - 16 - kArrowSize.width(), (contentHeight - kArrowSize.height()) / 2);
    const int valueRight = m_arrowImgView->x() - 8;
    const int valueWidth = qMin(m_subNameText->sizeHint().width(), qMax(0, valueRight - 16));
    m_subNameText->setGeometry(valueRight - valueWidth, 0, valueWidth, contentHeight);
    m_nameText->setGeometry(16, 0, qMax(0, m_subNameText->x() - 8 - 16), contentHeight);
}
