#include "settings/feedback/NBFeedbackInfoCell.h"

#include <QLabel>

#include "settings/feedback/FeedbackText.h"
#include "uikit/PlainText.h"

void NBFeedbackInfoCell::configure(const std::optional<NBFeedbackDetailInfoModel> &data)
{
    if (!data)
        return;
    m_data = *data;
    // The text is shown as text: a feedback can never turn into markup on the screen.
    infoLab()->setTextFormat(Qt::RichText);
    infoLab()->setText(QStringLiteral("<span style=\"color: rgb(179, 183, 190);\">%1</span><br>"
                                      "<span style=\"color: rgb(218, 222, 227); white-space: pre-wrap;\">%2</span>")
                           .arg(QStringLiteral("反馈内容："), FeedbackText::whole(data->content.value_or(QString())).toHtmlEscaped()));
    const QString source = (data->imageUrl && !data->imageUrl->isEmpty()) ? data->imageUrl->first() : QString();
    if (!source.isEmpty())
        showPicture(source);
    PlainText::setText(timeLab(), data->createdTime.value_or(QString()));
    setHeadPicture(QStringLiteral("headpic"));
    layoutSubviews();
}

QString NBFeedbackInfoCell::measuredText() const
{
    return m_data ? NBFeedbackDetailInfoModel::infoPrefix() + FeedbackText::whole(m_data->content.value_or(QString())) : QString();
}
