#include "settings/feedback/NBFeedbackItem.h"

#include <QLabel>

#include "settings/feedback/FeedbackText.h"
#include "uikit/NSFontHelper.h"
#include "uikit/UiImages.h"
#include "uikit/PlainText.h"

namespace {
QLabel *whiteLabel(const QFont &font, QWidget *parent)
{
    auto *label = PlainText::label(parent);
    label->setFont(font);
    label->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
    label->setTextInteractionFlags(Qt::NoTextInteraction);
    return label;
}
} // namespace

NBFeedbackItem::NBFeedbackItem(QWidget *parent)
    : ClickableRow(parent)
{
    setCursor(Qt::PointingHandCursor);
    m_contentView = new QWidget(this);
    m_contentView->setAttribute(Qt::WA_StyledBackground);
    m_iconImgView = new QLabel(m_contentView);
    m_iconImgView->setFixedSize(35, 35);
    m_iconImgView->setPixmap(UiImages::pixmap(QStringLiteral("feedback_message_icon"), QSize(35, 35)));
    m_redDot = new QLabel(m_contentView);
    m_redDot->setFixedSize(6, 6);
    m_redDot->setPixmap(UiImages::pixmap(QStringLiteral("red_dot_icon"), QSize(6, 6)));
    m_redDot->hide();
    m_titleLab = whiteLabel(NSFontHelper::getRegularPingFangFont(14), m_contentView);
    m_timeLab = whiteLabel(NSFontHelper::getLightPingFangFont(10), m_contentView);
    m_timeLab->setText(QStringLiteral("2022-11-11 11:11"));
    m_descLab = whiteLabel(NSFontHelper::getLightPingFangFont(11), m_contentView);
    m_descLab->setWordWrap(true);
    m_descLab->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setSelected(false);
}

QString NBFeedbackItem::titleForKind(const std::optional<qint64> &kind)
{
    switch (kind.value_or(0)) {
    case 10:
        return QStringLiteral("加速异常");
    case 11:
        return QStringLiteral("账号问题");
    case 12:
        return QStringLiteral("充值问题");
    default:
        return QStringLiteral("其他问题");
    }
}

void NBFeedbackItem::configure(const NBFeedbackListModel &model)
{
    m_titleLab->setText(titleForKind(model.kind));
    PlainText::setText(m_timeLab, model.createdTime.value_or(QString()));
    // Two lines at most, the second ending in "…" when the text goes on (laid out with the row).
    // Two lines never hold 200 characters, so the rest is not measured.
    m_description = PlainText::displayable(model.content.value_or(QString()), 200);
    m_descLab->setText(m_description);
    m_descLab->setToolTip(QString());
    m_redDot->setVisible(model.isRead && *model.isRead != 0);
    resizeEvent(nullptr);
}

void NBFeedbackItem::setSelected(bool selected)
{
    m_selected = selected;
    m_contentView->setStyleSheet(selected ? QStringLiteral("background: rgb(35, 35, 35);")
                                          : QStringLiteral("background: rgb(38, 26, 71);"));
}

void NBFeedbackItem::resizeEvent(QResizeEvent *)
{
    m_contentView->setGeometry(0, 0, 362, height());
    m_iconImgView->move(28, (height() - 35) / 2);
    const QRect icon = m_iconImgView->geometry();
    m_redDot->move(icon.right() + 1 + 2 - 6, icon.top() - 2);
    m_redDot->raise();
    const int textLeft = icon.right() + 1 + 14;
    const QSize timeSize = m_timeLab->sizeHint();
    const int titleHeight = m_titleLab->sizeHint().height();
    const int titleTop = icon.top() - 4;
    const int timeLeft = 362 - 31 - timeSize.width();
    m_titleLab->setGeometry(textLeft, titleTop, qMax(0, timeLeft - 10 - textLeft), titleHeight);
    m_timeLab->setGeometry(timeLeft, titleTop + (titleHeight - timeSize.height()) / 2, timeSize.width(), timeSize.height());
    const int descTop = titleTop + titleHeight + 7;
    const int lineHeight = m_descLab->fontMetrics().lineSpacing();
    m_descLab->setGeometry(textLeft, descTop, qMax(0, 362 - 17 - textLeft), qMin(2 * lineHeight, qMax(0, height() - descTop)));
    m_descLab->setText(FeedbackText::elidedLines(m_description, m_descLab->font(), m_descLab->width(), 2));
    // A long title ends in "...", as a one-line label does.
    m_titleLab->setText(m_titleLab->fontMetrics().elidedText(m_titleLab->text(), Qt::ElideRight, m_titleLab->width()));
}
