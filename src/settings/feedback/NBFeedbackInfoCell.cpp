#include "settings/feedback/NBFeedbackInfoCell.h"

#include <QLabel>

#include "settings/feedback/FeedbackText.h"
#include "settings/feedback/FeedbackTextView.h"
#include "uikit/PlainText.h"

void NBFeedbackInfoCell::configure(const std::optional<NBFeedbackDetailInfoModel> &data)
{
    if (!data)
        return;
    m_data = *data;
    // The heading in its own colour over the text, which stays text whatever it holds.
    const QString prefix = NBFeedbackDetailInfoModel::infoPrefix();
    infoLab()->setTextColour(QColor(218, 222, 227));
    infoLab()->setLead(int(prefix.size()), QColor(179, 183, 190));
    infoLab()->setText(prefix + FeedbackText::whole(data->content.value_or(QString())));
    const QString source = (data->imageUrl && !data->imageUrl->isEmpty()) ? data->imageUrl->first() : QString();
    if (!source.isEmpty())
        showPicture(source);
    PlainText::setText(timeLab(), data->createdTime.value_or(QString()));
    setHeadPicture(QStringLiteral("headpic"));
    layoutSubviews();
}

qreal NBFeedbackInfoCell::rowHeightWithText(qreal textHeight) const
{
    return m_data ? m_data->infoRowHeight([textHeight](const QString &) { return textHeight; }) : 0;
}
