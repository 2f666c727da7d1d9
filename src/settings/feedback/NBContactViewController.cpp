#include "settings/feedback/NBContactViewController.h"

#include <QJsonValue>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>

#include "app/NBFullDiskAccessManager.h"
#include "uikit/NBCustomTextField.h"
#include "uikit/NBPlaceHolderView.h"
#include "uikit/NSFontHelper.h"
#include "uikit/OOLoadingView.h"
#include "uikit/OOToastView.h"
#include "common/Localization.h"
#include "networking/OONetWorkTool.h"
#include "settings/feedback/FeedbackPicture.h"
#include "settings/feedback/FeedbackPicturePicker.h"
#include "settings/feedback/FeedbackText.h"
#include "settings/feedback/NBContactInputView.h"
#include "settings/feedback/NBContactTypeView.h"

NBContactViewController::NBContactViewController(QWidget *parent)
    : NBBaseViewController(parent)
{
    resize(366, 500);
}

void NBContactViewController::viewDidLoad()
{
    NBBaseViewController::viewDidLoad();
    m_scrollView = new QScrollArea(this);
    m_scrollView->setFrameShape(QFrame::NoFrame);
    m_scrollView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scrollView->setStyleSheet(QStringLiteral("QScrollArea { background: rgb(22, 22, 22); }"));
    m_rows = new QWidget;
    m_rows->setStyleSheet(QStringLiteral("background: rgb(22, 22, 22);"));
    m_rows->setAutoFillBackground(false);
    m_typeView = new NBContactTypeView(m_rows);
    m_inputView = new NBContactInputView(m_rows);
    QPointer<NBContactViewController> self(this);
    m_inputView->actionBlock = [self] {
        if (self)
            self->selectPhoto();
    };
    m_inputView->submitBlock = [self] {
        if (self)
            self->submit();
    };
    m_scrollView->setWidget(m_rows);
    m_scrollView->setWidgetResizable(false);
    m_scrollView->show();
    layoutRows();
}

int NBContactViewController::inputRowHeight() const
{
    QFont font = NSFontHelper::getRegularPingFangFont(14);
    const qreal header = FeedbackText::height(localizedByAppLanguage(QStringLiteral("SETTING_CONTACTUS_ONE_HEADER")),
                                              width() - 42, font);
    return int(std::ceil(header)) + 17 + 12 + 125 + 160;
}

void NBContactViewController::layoutRows()
{
    if (!m_scrollView)
        return;
    m_scrollView->setGeometry(rect());
    const int w = width();
    m_typeView->setGeometry(0, 0, w, kTypeRowHeight);
    m_inputView->setGeometry(0, kTypeRowHeight, w, inputRowHeight());
    m_rows->resize(w, kTypeRowHeight + m_inputView->height());
}

void NBContactViewController::resizeEvent(QResizeEvent *event)
{
    NBBaseViewController::resizeEvent(event);
    layoutRows();
}

void NBContactViewController::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(22, 22, 22));
}

bool NBContactViewController::isUploading() const
{
    return m_inputView && m_inputView->isUploading();
}

void NBContactViewController::selectPhoto()
{
    if (NBFullDiskAccessManager::getFullDiskAuthorationStatus() != NBFullDiskAccessManager::Access) {
        NBFullDiskAccessManager::openFullDiskAuthPrefreence();
        return;
    }
    QPointer<NBContactViewController> self(this);
    FeedbackPicturePicker::pickImage(this, [self](const QString &path) {
        if (!self || !self->m_inputView)
            return;
        const std::optional<QImage> image = FeedbackPicture::readPicture(path);
        if (!image)
            return;
        // One picture: a new choice replaces the one before.
        self->m_inputView->imageArray = {*image};
        self->m_inputView->reloadImages();
    });
}

void NBContactViewController::submit()
{
    ensureLoaded();
    if (isUploading())
        return;
    const QString kind = QString::number(m_typeView->kind());
    const QString content = m_inputView->textView()->toPlainText();
    if (FeedbackText::visibleLength(content) < FeedbackText::kMinimumLength) {
        showErrorToast(this, localizedByAppLanguage(QStringLiteral("SETTING_CONTACTUS_LEAST_FIVE_CHARACTERS_TIP")));
        return;
    }
    const QString contact = m_inputView->textFiled()->text();
    QList<QByteArray> pictures;
    QStringList names;
    for (const QImage &image : std::as_const(m_inputView->imageArray)) {
        const QByteArray jpeg = FeedbackPicture::jpegBytes(image);
        if (jpeg.isEmpty())
            continue;
        pictures << jpeg;
        names << FeedbackPicture::fileNameForNow();
    }
    m_loading = OOLoadingView::cover(this);
    m_inputView->setUploading(true);
    QPointer<NBContactViewController> self(this);
    OONetWorkTool::createFeedback(kind, pictures, names, content, contact,
                                  [self](std::optional<QJsonObject> reply, std::optional<QString> message) {
        if (self)
            self->handleReply(reply, message);
    });
}

void NBContactViewController::handleReply(const std::optional<QJsonObject> &reply, const std::optional<QString> &message)
{
    if (m_loading)
        m_loading->closeOverlay();
    m_inputView->setUploading(false);
    const QJsonValue success = reply ? reply->value(QStringLiteral("success")) : QJsonValue();
    if (success.isBool() && success.toBool()) {
        showSuccessToast(this, localizedByAppLanguage(QStringLiteral("SETTING_CONTACTUS_REPORT_SUCCESS")));
        clearForm();
        if (feedbackBlock)
            feedbackBlock();
        return;
    }
    // Every other ending says so, and what the user entered stays for another try: the service's
    // own words when it gave any, else ours.
    QString text = reply ? reply->value(QStringLiteral("message")).toString() : QString();
    if (text.isEmpty() && !reply && message && *message == QStringLiteral("上传图片失败"))
        text = *message;
    if (text.isEmpty())
        text = localizedByAppLanguage(QStringLiteral("SETTING_CONTACTUS_REPORT_FAILED"));
    showErrorToast(this, text);
}

void NBContactViewController::clearForm()
{
    m_inputView->textView()->setPlainText(QString());
    m_inputView->textFiled()->setText(QString());
    m_inputView->imageArray.clear();
    m_inputView->reloadImages();
    m_typeView->reset();
    m_scrollView->verticalScrollBar()->setValue(0);
}
