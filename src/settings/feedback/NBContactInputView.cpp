#include "settings/feedback/NBContactInputView.h"

#include <QLabel>
#include <QPushButton>

#include "uikit/LMViewHelper.h"
#include "uikit/NBCustomTextField.h"
#include "uikit/NBPlaceHolderView.h"
#include "uikit/NSFontHelper.h"
#include "uikit/RoundedPanel.h"
#include "uikit/UiImages.h"
#include "settings/feedback/FeedbackContactField.h"
#include "settings/feedback/FeedbackPicture.h"
#include "settings/feedback/FeedbackText.h"
#include "uikit/PlainText.h"

namespace {

QLabel *caption(const QString &text, QWidget *parent)
{
    auto *label = PlainText::label(text, parent);
    label->setFont(NSFontHelper::getLightPingFangFont(10));
    label->setStyleSheet(QStringLiteral("color: rgb(179, 183, 190); background: transparent;"));
    return label;
}

QPushButton *imageButton(const QString &image, const QSize &size, QWidget *parent)
{
    QPushButton *button = LMViewHelper::createImageButton(parent, image, size);
    button->setCursor(Qt::PointingHandCursor);
    button->setFixedSize(size);
    return button;
}

} // namespace

NBContactInputView::NBContactInputView(QWidget *parent)
    : QWidget(parent)
{
    m_titleLabel = caption(QStringLiteral("反馈内容"), this);
    m_cornerView = new RoundedPanel(QColor(35, 35, 35), 20, this);
    m_textView = new NBPlaceHolderView(m_cornerView);
    m_textView->setPlaceholderAttributedString(QString());
    m_textView->setFont(NSFontHelper::getRegularPingFangFont(12));
    m_textView->setFrameShape(QFrame::NoFrame);
    m_textView->setStyleSheet(QStringLiteral("QTextEdit { color: white; background: rgb(35, 35, 35); }"));
    m_textView->setLineSpacing(4);
    m_textView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    connect(m_textView, &QTextEdit::textChanged, this, &NBContactInputView::textDidChange);

    m_imgBtn = imageButton(QStringLiteral("add_image_icon"), QSize(35, 35), m_cornerView);
    connect(m_imgBtn, &QPushButton::clicked, this, &NBContactInputView::selectImageAction);
    m_showImageView = new QLabel(m_cornerView);
    m_showImageView->setFixedSize(50, 50);
    m_showImageView->setAlignment(Qt::AlignCenter);
    m_showImageView->setStyleSheet(QStringLiteral("border-radius: 9px; background: transparent;"));
    m_showImageView->hide();
    m_deleteBtn = imageButton(QStringLiteral("delete_image_icon"), QSize(16, 16), m_cornerView);
    m_deleteBtn->hide();
    connect(m_deleteBtn, &QPushButton::clicked, this, &NBContactInputView::deleteImageAction);

    m_titleLab = caption(QStringLiteral("联系方式（选填）"), this);
    m_textContentView = new RoundedPanel(QColor(50, 50, 50), 20, this);
    m_textFiled = FeedbackContactField::create(m_textContentView);

    m_signUpButton = new QPushButton(QStringLiteral("提交"), this);
    m_signUpButton->setFont(NSFontHelper::getRegularPingFangFont(14));
    m_signUpButton->setFixedSize(326, 40);
    m_signUpButton->setFocusPolicy(Qt::NoFocus);
    m_signUpButton->setCursor(Qt::PointingHandCursor);
    m_signUpButton->setStyleSheet(QStringLiteral(
        "QPushButton { color: white; border: none; border-image: url(:/images/confirm_enable_icon.svg); }"
        "QPushButton:disabled { border-image: url(:/images/confirm_unenable_icon.svg); }"));
    connect(m_signUpButton, &QPushButton::clicked, this, &NBContactInputView::sendAction);
    updateSubmitButton();
}

void NBContactInputView::selectImageAction()
{
    if (actionBlock)
        actionBlock();
}

void NBContactInputView::deleteImageAction()
{
    imageArray.clear();
    reloadImages();
}

void NBContactInputView::sendAction()
{
    if (m_uploading || !m_signUpButton->isEnabled())
        return;
    if (submitBlock)
        submitBlock();
}

void NBContactInputView::reloadImages()
{
    const bool hasPicture = !imageArray.isEmpty();
    m_showImageView->setVisible(hasPicture);
    m_deleteBtn->setVisible(hasPicture);
    m_imgBtn->setVisible(!hasPicture);
    m_showImageView->setPixmap(hasPicture ? QPixmap::fromImage(FeedbackPicture::fitted(imageArray.first(), m_showImageView->size()))
                                          : QPixmap());
    m_deleteBtn->raise();
}

void NBContactInputView::setUploading(bool uploading)
{
    m_uploading = uploading;
    updateSubmitButton();
}

void NBContactInputView::textDidChange()
{
    // Also runs when the form clears the text, so an emptied form never offers "提交".
    updateSubmitButton();
}

void NBContactInputView::updateSubmitButton()
{
    const bool longEnough = FeedbackText::visibleLength(m_textView->toPlainText()) >= FeedbackText::kMinimumLength;
    m_signUpButton->setEnabled(longEnough && !m_uploading);
}

void NBContactInputView::resizeEvent(QResizeEvent *)
{
    const int w = width();
    const int captionHeight = m_titleLabel->sizeHint().height();
    m_titleLabel->setGeometry(25, 0, w - 27, captionHeight);
    m_cornerView->setGeometry(20, captionHeight + 7, w - 40, 158);
    const QRect box = m_cornerView->rect();
    m_textView->setGeometry(15, 15, box.width() - 30, box.height() - 15 - 60);
    m_imgBtn->move(box.width() - 14 - 35, box.height() - 15 - 35);
    m_showImageView->move(14, box.height() - 13 - 50);
    const QPoint corner = m_showImageView->geometry().topRight();
    m_deleteBtn->move(corner.x() - m_deleteBtn->width() / 2, corner.y() - m_deleteBtn->height() / 2 + 4);
    m_deleteBtn->raise();
    const int contactTop = m_cornerView->geometry().bottom() + 1 + 15;
    const int contactCaption = m_titleLab->sizeHint().height();
    m_titleLab->setGeometry(25, contactTop, w - 50, contactCaption);
    m_textContentView->setGeometry(20, contactTop + contactCaption + 9, w - 40, 40);
    m_textFiled->setGeometry(20, (40 - m_textFiled->sizeHint().height()) / 2, m_textContentView->width() - 40,
                             m_textFiled->sizeHint().height());
    m_signUpButton->move((w - m_signUpButton->width()) / 2, m_textContentView->geometry().bottom() + 1 + 22);
}
