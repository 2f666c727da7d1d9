#include "settings/feedback/NBFeedbackRecordCell.h"

#include <QLabel>

#include "settings/feedback/FeedbackText.h"
#include "settings/feedback/FeedbackTextView.h"
#include "uikit/PlainText.h"

void NBFeedbackRecordCell::configure(const std::optional<NBFeedbackRecordModel> &data)
{
    if (!data)
        return;
    m_data = *data;
    setHeadPicture(headPictureName());
    const bool hasText = data->content && !data->content->isEmpty();
    infoLab()->setText(hasText ? FeedbackText::whole(*data->content) : QString());
    infoLab()->setVisible(hasText);
    if (data->imageUrl && !data->imageUrl->isEmpty())
        showPicture(*data->imageUrl);
    else
        feedbackImgView()->hide();
    PlainText::setText(timeLab(), data->createTime.value_or(QString()));
    layoutSubviews();
}

qreal NBFeedbackRecordCell::rowHeightWithText(qreal textHeight) const
{
    return m_data ? m_data->rowHeight([textHeight](const QString &) { return textHeight; }) : 0;
}
