// Pictures of the feedback screens: the empty list, a list with unread answers, a conversation
// with pictures, the form with a picture, an upload under way and a failed upload, and the
// picture grid and contact rows. Fake data only; pictures come from the cache, never the network.
#include "GalleryScene.h"

#include <QBuffer>
#include <QJsonArray>
#include <QJsonObject>
#include <QLinearGradient>
#include <QPainter>
#include <QPointer>
#include <QScrollArea>
#include <QScrollBar>

#include "uikit/ImageCache.h"
#include "uikit/NBCustomTextField.h"
#include "uikit/NBPlaceHolderView.h"
#include "uikit/OOLoadingView.h"
#include "uikit/OOToastView.h"
#include "common/Localization.h"
#include "networking/OOHostSafeAdpter.h"
#include "settings/unreached/NBContactEmailView.h"
#include "settings/feedback/NBContactInputView.h"
#include "settings/unreached/NBContactPictureView.h"
#include "settings/feedback/NBContactTypeView.h"
#include "settings/feedback/NBContactViewController.h"
#include "settings/feedback/NBFeedbackDetailViewController.h"
#include "settings/feedback/NBFeedbackListViewController.h"

namespace {

QImage artwork(const QSize &size, const QColor &from, const QColor &to)
{
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, size.width(), size.height());
    gradient.setColorAt(0, from);
    gradient.setColorAt(1, to);
    painter.fillRect(image.rect(), gradient);
    painter.setPen(QPen(Qt::white, 3));
    painter.drawEllipse(QRectF(size.width() * 0.25, size.height() * 0.25, size.width() * 0.5, size.height() * 0.5));
    return image;
}

QByteArray pngBytes(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// The conversation's pictures, put in the cache under the keys their addresses name.
void cachePictures()
{
    ImageCache::shared().setDataForKey(pngBytes(artwork(QSize(160, 120), QColor(90, 60, 200), QColor(220, 120, 90))), QStringLiteral("gallery-1"));
    ImageCache::shared().setDataForKey(pngBytes(artwork(QSize(90, 180), QColor(30, 140, 160), QColor(20, 40, 90))), QStringLiteral("gallery-2"));
}

QJsonObject feedback(qint64 id, int kind, const QString &content, int isRead, const QJsonArray &pictures = {})
{
    return QJsonObject{{"id", id}, {"kind", kind}, {"content", content}, {"is_read", isRead},
                       {"created_at", QStringLiteral("2024-05-0%1 10:2%1").arg(id)}, {"image_url", pictures}};
}

QJsonObject listReply()
{
    return QJsonObject{{"success", true},
                       {"data", QJsonObject{{"page_datas", QJsonArray{
                                    feedback(3, 10, QStringLiteral("连接成功后网页打不开，切换线路也一样，麻烦帮忙看看是什么原因。"), 1),
                                    feedback(2, 12, QStringLiteral("充值后会员没有到账"), 0),
                                    feedback(1, 13, QStringLiteral("希望增加更多的线路"), 1)}}}}};
}

NBFeedbackListViewController *listScreen(const QJsonObject &reply)
{
    auto *list = new NBFeedbackListViewController;
    list->requestsOnLoad = false;
    list->ensureLoaded();
    list->handleList(reply);
    return list;
}

void fillForm(NBContactViewController *form)
{
    form->typeView()->selectItem(1);
    form->inputView()->textView()->setPlainText(QStringLiteral("登录时一直提示账号异常，已经重启过客户端。"));
    form->inputView()->textFiled()->setText(QStringLiteral("demo@example.com"));
    form->inputView()->imageArray = {artwork(QSize(120, 90), QColor(200, 80, 120), QColor(60, 40, 160))};
    form->inputView()->reloadImages();
}

NBFeedbackListViewController *formScreen()
{
    auto *list = listScreen(listReply());
    list->showFeedbackForm();
    fillForm(list->feedbackVc());
    return list;
}

} // namespace

OSTREL_GALLERY_SCENE("feedback/list_empty", 728, 500)
{
    return listScreen(QJsonObject{{"success", true}, {"data", QJsonObject{{"page_datas", QJsonArray{}}}}});
}

OSTREL_GALLERY_SCENE("feedback/list_unread", 728, 500)
{
    return listScreen(listReply());
}

OSTREL_GALLERY_SCENE("feedback/conversation_pictures", 728, 500)
{
    cachePictures();
    auto *list = listScreen(listReply());
    list->selectModel = list->datas.first();
    // The pane as a chosen row shows it, filled here instead of by the service.
    NBFeedbackDetailViewController *pane = list->detailVC();
    pane->move(363, 0);
    list->addChildViewController(pane);
    pane->ensureLoaded();
    pane->show();
    pane->model = list->datas.first();
    const QString domain = OOHostSafeAdpter::shared().currentDomain();
    pane->showConversation(QJsonObject{
        {"feedbackVo", feedback(3, 10, QStringLiteral("连接成功后网页打不开，切换线路也一样。"), 0,
                                QJsonArray{QStringLiteral("/static/feedback/1.jpg?fid=gallery-1")})},
        {"record", QJsonArray{
             QJsonObject{{"userType", 1}, {"content", QStringLiteral("您好，已收到您的反馈，请问使用的是哪条线路？")}, {"createTime", "2024-05-03 10:30"}},
             QJsonObject{{"userType", 0}, {"imageUrl", domain + QStringLiteral("/static/feedback/2.jpg?fid=gallery-2")}, {"createTime", "2024-05-03 10:32"}},
             QJsonObject{{"userType", 0}, {"content", QStringLiteral("香港 02，截图在上面")}, {"createTime", "2024-05-03 10:33"}}}},
        {"state", 0}});
    return list;
}

OSTREL_GALLERY_SCENE("feedback/conversation_finished", 366, 500)
{
    auto *pane = new NBFeedbackDetailViewController;
    pane->move(0, 0);
    pane->model = NBFeedbackListModel::fromJson(feedback(2, 12, QString(), 0));
    pane->showConversation(QJsonObject{
        {"feedbackVo", feedback(2, 12, QStringLiteral("充值后会员没有到账"), 0)},
        {"record", QJsonArray{QJsonObject{{"userType", 1}, {"content", QStringLiteral("已为您补发会员，请重新登录查看。")}, {"createTime", "2024-05-02 11:00"}}}},
        {"state", 2}});
    return pane;
}

// A reply of a few hundred thousand characters, pictured while it is still being laid out: the
// end of the conversation shows the lines so far, the "…" that says more follows, the time.
OSTREL_GALLERY_SCENE("feedback/conversation_long_reply_laying_out", 366, 500)
{
    auto *pane = new NBFeedbackDetailViewController;
    pane->move(0, 0);
    pane->model = NBFeedbackListModel::fromJson(feedback(4, 12, QString(), 0));
    QString reply;
    while (reply.size() < 300000)
        reply += QStringLiteral("重连后还是打不开网页，日志如下：reconnect fails again after switching lines. ");
    pane->showConversation(QJsonObject{
        {"feedbackVo", feedback(4, 12, QStringLiteral("连接后网页打不开"), 0)},
        {"record", QJsonArray{QJsonObject{{"userType", 0}, {"content", reply}, {"createTime", "2024-05-04 09:15"}}}},
        {"state", 0}});
    QPointer<NBFeedbackDetailViewController> guard(pane);
    setGalleryPictureSource(pane, [guard](GalleryPictureDone done) {
        if (!guard) {
            done({});
            return;
        }
        QScrollBar *bar = guard->scrollView()->verticalScrollBar();
        bar->setValue(bar->maximum());
        done(guard->grab().toImage());
    });
    return pane;
}

OSTREL_GALLERY_SCENE("feedback/form_picture", 728, 500)
{
    return formScreen();
}

OSTREL_GALLERY_SCENE("feedback/form_uploading", 728, 500)
{
    auto *list = formScreen();
    NBContactViewController *form = list->feedbackVc();
    form->inputView()->setUploading(true);
    OOLoadingView::cover(form);
    return list;
}

OSTREL_GALLERY_SCENE("feedback/form_upload_failed", 728, 500)
{
    auto *list = formScreen();
    showErrorToast(list->feedbackVc(), localizedByAppLanguage(QStringLiteral("SETTING_CONTACTUS_REPORT_FAILED")));
    return list;
}

OSTREL_GALLERY_SCENE("feedback/picture_grid_and_contact_row", 366, 300)
{
    auto *host = new QWidget;
    host->setStyleSheet(QStringLiteral("background: rgb(22, 22, 22);"));
    auto *grid = new NBContactPictureView(host);
    grid->setGeometry(0, 0, 320, 166);
    grid->appendImage(artwork(QSize(120, 90), QColor(200, 80, 120), QColor(60, 40, 160)));
    auto *email = new NBContactEmailView(host);
    email->setGeometry(0, 170, 366, 130);
    return host;
}
