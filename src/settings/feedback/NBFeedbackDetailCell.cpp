#include "settings/feedback/NBFeedbackDetailCell.h"

#include <QLabel>

#include <cmath>

#include "uikit/NSFontHelper.h"
#include "uikit/RoundedPanel.h"
#include "uikit/UiImages.h"
#include "settings/feedback/FeedbackPicture.h"
#include "settings/feedback/FeedbackText.h"
#include "settings/feedback/FeedbackTextView.h"
#include "uikit/PlainText.h"

namespace {
// The bubble is the row less 82 (the head picture's side), its text 17 in from each side.
int textWidthIn(int rowWidth)
{
    return qMax(0, rowWidth - 82 - 34);
}

QLabel *plainLabel(const QColor &colour, QWidget *parent)
{
    auto *label = PlainText::label(parent);
    label->setFont(FeedbackText::bubbleFont());
    label->setStyleSheet(QStringLiteral("color: rgb(%1, %2, %3); background: transparent;")
                             .arg(colour.red()).arg(colour.green()).arg(colour.blue()));
    label->setTextInteractionFlags(Qt::NoTextInteraction);
    return label;
}
} // namespace

NBFeedbackDetailCell::NBFeedbackDetailCell(QWidget *parent)
    : QWidget(parent)
{
    setupSubviews();
}

void NBFeedbackDetailCell::setupSubviews()
{
    m_cornerView = new RoundedPanel(QColor(35, 35, 35), 15, this);
    m_iconImgView = new QLabel(this);
    m_iconImgView->setFixedSize(35, 35);
    m_infoLab = new FeedbackTextView(m_cornerView);
    m_infoLab->setFont(FeedbackText::bubbleFont());
    m_infoLab->setTextColour(QColor(234, 234, 234));
    connect(m_infoLab, &FeedbackTextView::laidOutHeightChanged, this, [this] {
        layoutSubviews();
        Q_EMIT preferredHeightChanged();
    });
    m_timeLab = plainLabel(QColor(117, 110, 147), m_cornerView);
    m_feedbackImgView = new QLabel(m_cornerView);
    m_feedbackImgView->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_feedbackImgView->setStyleSheet(QStringLiteral("background: transparent; border-radius: 15px;"));
    m_feedbackImgView->hide();
}

int NBFeedbackDetailCell::preferredHeight(int rowWidth)
{
    m_infoLab->setTextWidth(textWidthIn(rowWidth));
    return int(std::ceil(rowHeightWithText(textHeight())));
}

qreal NBFeedbackDetailCell::textHeight() const
{
    return m_infoLab->isHidden() ? 0 : m_infoLab->laidOutHeight();
}

void NBFeedbackDetailCell::setHeadPicture(const QString &name)
{
    m_iconImgView->setPixmap(UiImages::pixmap(name, QSize(35, 35), devicePixelRatioF()));
}

void NBFeedbackDetailCell::showPicture(const QString &source)
{
    m_feedbackImgView->show();
    FeedbackPicture::load(source, m_feedbackImgView, QSize(kPictureSide, kPictureSide));
}

void NBFeedbackDetailCell::resizeEvent(QResizeEvent *)
{
    // The text wraps at the width of the row it is in: a row of a new width lays it out again.
    // (Until then it keeps the width its row was measured at, preferredHeight.)
    m_infoLab->setTextWidth(textWidthIn(width()));
    layoutSubviews();
}

void NBFeedbackDetailCell::layoutSubviews()
{
    const Placement place = placement();
    const int bubbleLeft = place.headSide == Side::Right ? 12 : 70;
    m_cornerView->setGeometry(bubbleLeft, 12, qMax(0, width() - 82), qMax(0, height() - 24));
    m_iconImgView->move(place.headSide == Side::Right ? width() - 12 - 35 : 12, 12);
    const int textWidth = textWidthIn(width());
    m_infoLab->setGeometry(17, 14, textWidth, int(textHeight()));
    // The picture sits under the text; a record without text starts it at the text's place.
    const int pictureTop = (place.pictureBelowText && !m_infoLab->isHidden()) ? m_infoLab->geometry().bottom() + 1 + 3 : 14;
    m_feedbackImgView->setGeometry(17, pictureTop, kPictureSide, kPictureSide);
    const int timeHeight = m_timeLab->sizeHint().height();
    m_timeLab->setGeometry(17, m_cornerView->height() - 13 - timeHeight, textWidth, timeHeight);
}
