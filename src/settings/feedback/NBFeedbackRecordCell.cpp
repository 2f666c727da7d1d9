#include "settings/feedback/NBFeedbackRecordCell.h"

#include <QLabel>

void NBFeedbackRecordCell::configure(const std::optional<NBFeedbackRecordModel> &data)
{
    if (!data)
        return;
    m_data = *data;
    setHeadPicture(headPictureName());
    const bool hasText = data->content && !data->content->isEmpty();
    infoLab()->setTextFormat(Qt::PlainText);
    infoLab()->setText(hasText ? *data->content : QString());
    infoLab()->setVisible(hasText);
    if (data->imageUrl && !data->imageUrl->isEmpty())
        showPicture(*data->imageUrl);
    else
        feedbackImgView()->hide();
    timeLab()->setText(data->createTime.value_or(QString()));
    layoutSubviews();
}
