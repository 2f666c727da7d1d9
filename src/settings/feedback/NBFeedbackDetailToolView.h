#pragma once

#include <QImage>
#include <QJsonObject>
#include <QList>
#include <QWidget>

#include <optional>

class NBCustomTextField;
class QPushButton;
class RoundedPanel;

// The reply bar under an open conversation: a text field that sends on Return and a button that
// sends a picture, both to the feedback whose id the bar holds.
class NBFeedbackDetailToolView : public QWidget
{
    Q_OBJECT

public:
    explicit NBFeedbackDetailToolView(QWidget *parent = nullptr);

    // The id of the feedback replied to, as text; none while no feedback with an id is shown.
    std::optional<QString> feedbackId;

    RoundedPanel *cornerView() const { return m_cornerView; }
    NBCustomTextField *textField() const { return m_textField; }
    QPushButton *sendImgBtn() const { return m_sendImgBtn; }

    void textFieldDidEndEditing();
    void selectImage();
    // Sends nothing without a feedback id, or without text and pictures.
    void sendReply(const QList<QImage> &images, const std::optional<QString> &content);
    int pendingReplies() const { return m_pending; }

    static constexpr int kHeight = 68;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void pickPicture();
    void handleReply(const std::optional<QJsonObject> &reply, const std::optional<QString> &message, qint64 feedbackId,
                     const std::optional<QString> &sentText);

    RoundedPanel *m_cornerView = nullptr;
    NBCustomTextField *m_textField = nullptr;
    QPushButton *m_sendImgBtn = nullptr;
    int m_pending = 0;
};
