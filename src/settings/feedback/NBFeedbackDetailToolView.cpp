#include "settings/feedback/NBFeedbackDetailToolView.h"

#include <QJsonValue>
#include <QPointer>
#include <QPushButton>

#include <limits>

#include "app/NBFullDiskAccessManager.h"
#include "uikit/LMViewHelper.h"
#include "uikit/NBCustomTextField.h"
#include "uikit/NSFontHelper.h"
#include "uikit/OOToastView.h"
#include "uikit/RoundedPanel.h"
#include "uikit/UiImages.h"
#include "common/Localization.h"
#include "networking/OONetWorkTool.h"
#include "settings/ScreenChain.h"
#include "settings/feedback/FeedbackPicture.h"
#include "settings/feedback/FeedbackPicturePicker.h"
#include "settings/feedback/NBFeedbackDetailToolViewProtocol.h"

NBFeedbackDetailToolView::NBFeedbackDetailToolView(QWidget *parent)
    : QWidget(parent)
{
    m_cornerView = new RoundedPanel(QColor(35, 35, 35), 20, this);
    m_textField = new NBCustomTextField(m_cornerView);
    m_textField->setFont(NSFontHelper::getRegularPingFangFont(12));
    m_textField->setStyleSheet(QStringLiteral("QLineEdit { background: transparent; border: none; color: white; }"));
    // A reply goes out as it was written: a long paste is not cut at the field's usual limit.
    m_textField->setMaxLength(std::numeric_limits<int>::max());
    connect(m_textField, &QLineEdit::returnPressed, this, &NBFeedbackDetailToolView::textFieldDidEndEditing);
    m_sendImgBtn = LMViewHelper::createImageButton(this, QStringLiteral("send_img_icon"), QSize(35, 35));
    m_sendImgBtn->setCursor(Qt::PointingHandCursor);
    m_sendImgBtn->setFixedSize(35, 35);
    connect(m_sendImgBtn, &QPushButton::clicked, this, &NBFeedbackDetailToolView::selectImage);
}

void NBFeedbackDetailToolView::resizeEvent(QResizeEvent *)
{
    const int capsuleWidth = qMax(0, width() - 12 - 9 - 35 - 26);
    m_cornerView->setGeometry(12, 0, capsuleWidth, 40);
    const int fieldHeight = m_textField->sizeHint().height();
    m_textField->setGeometry(15, (40 - fieldHeight) / 2, qMax(0, capsuleWidth - 30), fieldHeight);
    m_sendImgBtn->move(width() - 26 - 35, (40 - 35) / 2);
}

void NBFeedbackDetailToolView::textFieldDidEndEditing()
{
    // The text goes out as typed; Return in an empty field sends an empty reply. Without a
    // feedback to answer the text stays where it is.
    if (!feedbackId)
        return;
    const QString text = m_textField->text();
    m_textField->clear();
    sendReply({}, text);
}

void NBFeedbackDetailToolView::selectImage()
{
    if (NBFullDiskAccessManager::getFullDiskAuthorationStatus() != NBFullDiskAccessManager::Access) {
        NBFullDiskAccessManager::openFullDiskAuthPrefreence();
        return;
    }
    pickPicture();
}

void NBFeedbackDetailToolView::pickPicture()
{
    QPointer<NBFeedbackDetailToolView> self(this);
    FeedbackPicturePicker::pickImage(this, [self](const QString &path) {
        if (!self)
            return;
        const std::optional<QImage> image = FeedbackPicture::readPicture(path);
        if (!image)
            return;
        self->sendReply({*image}, std::nullopt);
    });
}

void NBFeedbackDetailToolView::sendReply(const QList<QImage> &images, const std::optional<QString> &content)
{
    if (!feedbackId)
        return;
    bool isNumber = false;
    const qint64 id = feedbackId->toLongLong(&isNumber);
    if (!isNumber)
        return;
    QList<QByteArray> pictures;
    QStringList names;
    for (const QImage &image : images) {
        const QByteArray jpeg = FeedbackPicture::jpegBytes(image);
        if (jpeg.isEmpty())
            continue;
        pictures << jpeg;
        names << FeedbackPicture::fileNameForNow();
    }
    // An empty text is a reply; no text and no picture that could be encoded is none.
    if (pictures.isEmpty() && !content)
        return;
    ++m_pending;
    QPointer<NBFeedbackDetailToolView> self(this);
    OONetWorkTool::resendFeedback(pictures, names, content, id,
                                  [self, id, content](std::optional<QJsonObject> reply, std::optional<QString> message) {
        if (self)
            self->handleReply(reply, message, id, content);
    });
}

void NBFeedbackDetailToolView::handleReply(const std::optional<QJsonObject> &reply, const std::optional<QString> &message,
                                           qint64 feedbackIdSent, const std::optional<QString> &sentText)
{
    --m_pending;
    const QJsonValue success = reply ? reply->value(QStringLiteral("success")) : QJsonValue();
    const bool accepted = (success.isDouble() && success.toDouble() == 1) || (success.isBool() && success.toBool());
    if (!accepted) {
        // The reply did not go out: the text comes back for another try (unless the user has
        // started a new one), and the user is told.
        const bool sameFeedback = feedbackId && feedbackId->toLongLong() == feedbackIdSent;
        if (sentText && sameFeedback && m_textField->text().isEmpty())
            m_textField->setText(*sentText);
        QString text = reply ? reply->value(QStringLiteral("message")).toString() : QString();
        if (text.isEmpty() && message && *message == QStringLiteral("上传图片失败"))
            text = *message;
        if (text.isEmpty())
            text = localizedByAppLanguage(QStringLiteral("SETTING_CONTACTUS_REPLY_FAILED"));
        QWidget *host = findAncestorScreen<NBBaseViewController>(this);
        showErrorToast(host ? host : window(), text);
        return;
    }
    auto *screen = findAncestorScreen<NBFeedbackDetailToolViewProtocol>(this);
    if (!screen)
        return;
    const QJsonValue data = reply->value(QStringLiteral("data"));
    screen->appendRecord(data.isObject() ? NBFeedbackRecordModel::fromJson(data.toObject()) : std::nullopt, feedbackIdSent);
}
