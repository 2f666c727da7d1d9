// The feedback road against the stand-in service, with real multipart uploads: a new feedback
// with pictures, reading it, replying with text and a picture, failures that keep the input, and
// quick switching between feedbacks.
#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <memory>

#include <gtest/gtest.h>

#include "uikit/ImageCache.h"
#include "uikit/ImageLoader.h"
#include "uikit/NBCustomTextField.h"
#include "uikit/NBPlaceHolderView.h"
#include "uikit/OOLoadingView.h"
#include "uikit/OOToastView.h"
#include "uikit/RoundedPanel.h"
#include "common/AppPaths.h"
#include "common/Localization.h"
#include "common/ApiPaths.h"
#include "networking/OOHostSafeAdpter.h"
#include "networking/OONetWork.h"
#include "networking/OONetWorkTool.h"
#include "settings/feedback/FeedbackPicture.h"
#include "settings/feedback/FeedbackText.h"
#include "settings/feedback/FeedbackTextView.h"
#include "settings/feedback/FeedbackPicturePicker.h"
#include "settings/feedback/NBContactInputView.h"
#include "settings/feedback/NBContactTypeView.h"
#include "settings/feedback/NBContactViewController.h"
#include "settings/feedback/NBFeedbackDetailToolView.h"
#include "settings/feedback/NBFeedbackDetailViewController.h"
#include "settings/feedback/NBFeedbackGuestCell.h"
#include "settings/feedback/NBFeedbackInfoCell.h"
#include "settings/feedback/NBFeedbackItem.h"
#include "settings/feedback/NBFeedbackListToolView.h"
#include "settings/feedback/NBFeedbackListViewController.h"
#include "settings/feedback/NBFeedbackServiceCell.h"
#include "settings/NBMessageDefaultView.h"
#include "support/HeldAnswers.h"
#include "support/StandinProcess.h"
#include "support/NetworkTestSupport.h"

namespace {

constexpr int kWait = 10000;

QImage picture(const QSize &size, const QColor &colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

int indexOfContent(const NBFeedbackListViewController &list, const QString &content)
{
    for (int i = 0; i < list.datas.size(); ++i) {
        if (list.datas.at(i).content == content)
            return i;
    }
    return -1;
}

bool toastShows(QWidget *host, const QString &text)
{
    for (OOToastView *toast : host->findChildren<OOToastView *>()) {
        if (toast->tipLab()->text() == text)
            return true;
    }
    return false;
}

QString infoText(NBFeedbackDetailViewController *pane)
{
    if (pane->rowViews().isEmpty())
        return {};
    auto *info = qobject_cast<NBFeedbackInfoCell *>(pane->rowViews().first());
    return info && info->data() ? info->data()->content.value_or(QString()) : QString();
}

} // namespace

class FeedbackStandin : public OneStandinPerSuite
{
protected:
    void TearDown() override { FeedbackPicturePicker::setChooserForTesting({}); }

    // Sends a new feedback through the list's form and waits until the list shows it.
    static int sendFeedback(NBFeedbackListViewController &list, const QString &content, const QList<QImage> &pictures,
                            int typeIndex = 0, const QString &contact = QString())
    {
        list.showFeedbackForm();
        NBContactViewController *form = list.feedbackVc();
        form->typeView()->selectItem(typeIndex);
        form->inputView()->textView()->setPlainText(content);
        form->inputView()->textFiled()->setText(contact);
        form->inputView()->imageArray = pictures;
        form->submit();
        const bool shown = QTest::qWaitFor([&] { return indexOfContent(list, content) >= 0 && !form->isUploading(); }, kWait);
        return shown ? indexOfContent(list, content) : -1;
    }

    // One list answer more, through the client's own network.
    static void listRoundTrip(const std::function<void()> &answered)
    {
        OONetWorkTool::feedbackList(1, [answered](std::optional<QJsonObject>, std::optional<QString>) { answered(); });
    }

    static QJsonObject lastUpload()
    {
        const QJsonArray uploads = s_standin->records().value("uploads").toArray();
        return uploads.isEmpty() ? QJsonObject() : uploads.last().toObject();
    }
};

TEST_F(FeedbackStandin, NewFeedbackWithTwoPicturesArrivesWholeAndIsListed)
{
    // The list asked for on opening answers only after the one asked for once the feedback is
    // sent, as on a slow network: its older list must not put itself back.
    const HeldAnswers held(*s_standin, ApiPaths::kFeedbackList);
    ASSERT_TRUE(held.isSet());
    NBFeedbackListViewController list;
    list.ensureLoaded();
    ASSERT_TRUE(held.waitUntilHeld());
    const QString content = QStringLiteral("连接后网页打不开 %1").arg(QDateTime::currentMSecsSinceEpoch());
    const int row = sendFeedback(list, content, {picture(QSize(64, 48), Qt::red), picture(QSize(30, 90), Qt::green)}, 3,
                                 QStringLiteral("me@example.com"));
    ASSERT_GE(row, 0);
    // Now the first answer comes, after the newer one.
    ASSERT_TRUE(held.release(listRoundTrip));
    ASSERT_EQ(indexOfContent(list, content), row);

    const QJsonObject upload = lastUpload();
    const QJsonObject fields = upload.value("fields").toObject();
    EXPECT_EQ(upload.value("path").toString(), ApiPaths::kCreateFeedbacks);
    EXPECT_EQ(fields.value("content").toString(), content);
    EXPECT_EQ(fields.value("contact_info").toString(), QStringLiteral("me@example.com"));
    EXPECT_EQ(fields.value("kind").toString(), QStringLiteral("13"));
    EXPECT_FALSE(fields.value("device_uuid").isUndefined());
    EXPECT_EQ(upload.value("file_secret").toString(), QStringLiteral("v2"));
    const QJsonArray parts = upload.value("file_parts").toArray();
    ASSERT_EQ(parts.size(), 2);
    for (const QJsonValue &part : parts) {
        EXPECT_EQ(part.toObject().value("content_type").toString(), QStringLiteral("image/jpeg"));
        bool number = false;
        part.toObject().value("filename").toString().toDouble(&number);
        EXPECT_TRUE(number);
    }

    // Both pictures are whole: the service serves back what it received, and it decodes.
    const NBFeedbackListModel &listed = list.datas.at(row);
    EXPECT_EQ(listed.kind, 13);
    ASSERT_TRUE(listed.imageUrl && listed.imageUrl->size() == 2);
    const QList<QSize> sizes{QSize(64, 48), QSize(30, 90)};
    for (int i = 0; i < 2; ++i) {
        const QByteArray bytes = TestHttp::get(FeedbackPicture::resolve(listed.imageUrl->at(i), s_standin->baseUrl()));
        EXPECT_EQ(QImage::fromData(bytes).size(), sizes.at(i));
    }
    // The form is empty again and has left the pane; the row is shown.
    EXPECT_TRUE(list.feedbackVc()->inputView()->textView()->toPlainText().isEmpty());
    EXPECT_TRUE(list.feedbackVc()->inputView()->imageArray.isEmpty());
    EXPECT_EQ(list.feedbackVc()->parentViewController(), nullptr);
    EXPECT_EQ(list.rows().at(row)->titleLab()->text(), QStringLiteral("其他问题"));
    EXPECT_TRUE(list.toolView()->isVisibleTo(&list));
}

TEST_F(FeedbackStandin, OpeningAFeedbackReadsItAndShowsItsPictures)
{
    NBFeedbackListViewController list;
    list.resize(728, 500);
    list.ensureLoaded();
    const QString content = QStringLiteral("充值后没有到账 %1").arg(QDateTime::currentMSecsSinceEpoch());
    int row = sendFeedback(list, content, {picture(QSize(300, 120), Qt::blue)}, 2);
    ASSERT_GE(row, 0);
    // The service answered at once, so the row carries the unread mark.
    EXPECT_FALSE(list.rows().at(row)->redDot()->isHidden());

    EXPECT_TRUE(list.selectFeedback(row));
    EXPECT_FALSE(list.selectFeedback(row)); // the one shown is not chosen again
    row = indexOfContent(list, content);
    EXPECT_TRUE(list.rows().at(row)->redDot()->isHidden());
    NBFeedbackDetailViewController *pane = list.detailVC();
    ASSERT_TRUE(QTest::qWaitFor([&] { return pane->rowViews().size() == 2; }, kWait));
    EXPECT_EQ(infoText(pane), content);
    EXPECT_NE(qobject_cast<NBFeedbackServiceCell *>(pane->rowViews().at(1)), nullptr);
    EXPECT_FALSE(pane->toolView()->isHidden());

    // The feedback's own picture comes through the cache under its "fid", fitted to its cell.
    auto *info = qobject_cast<NBFeedbackInfoCell *>(pane->rowViews().first());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !info->feedbackImgView()->pixmap().isNull(); }, kWait));
    EXPECT_LE(info->feedbackImgView()->pixmap().width(), 85);
    EXPECT_LE(info->feedbackImgView()->pixmap().height(), 85);
    const QString key = *FeedbackPicture::cacheKey(QUrl(FeedbackPicture::resolve(list.datas.at(row).imageUrl->first(), s_standin->baseUrl())));
    EXPECT_TRUE(ImageCache::shared().containsDataForKey(key));

    // Read on the service too: the next list has no mark.
    list.requestFeedbackList();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !list.isLoading(); }, kWait));
    row = indexOfContent(list, content);
    EXPECT_EQ(list.datas.at(row).isRead, 0);
}

TEST_F(FeedbackStandin, RepliesWithTextAndPictureJoinTheConversation)
{
    NBFeedbackListViewController list;
    list.resize(728, 500);
    list.ensureLoaded();
    const QString content = QStringLiteral("账号无法登录 %1").arg(QDateTime::currentMSecsSinceEpoch());
    const int row = sendFeedback(list, content, {});
    ASSERT_GE(row, 0);
    ASSERT_TRUE(list.selectFeedback(row));
    NBFeedbackDetailViewController *pane = list.detailVC();
    ASSERT_TRUE(QTest::qWaitFor([&] { return pane->rowViews().size() == 2; }, kWait));

    NBCustomTextField *field = pane->toolView()->textField();
    field->setText(QStringLiteral("还是不行"));
    QTest::keyClick(field, Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return pane->rowViews().size() == 3; }, kWait));
    auto *guest = qobject_cast<NBFeedbackGuestCell *>(pane->rowViews().at(2));
    ASSERT_NE(guest, nullptr);
    EXPECT_EQ(guest->infoLab()->text(), QStringLiteral("还是不行"));
    EXPECT_TRUE(field->text().isEmpty());
    QJsonObject upload = lastUpload();
    EXPECT_EQ(upload.value("path").toString(), ApiPaths::kFeedbackResend);
    EXPECT_EQ(upload.value("files").toInt(), 0);
    EXPECT_EQ(upload.value("fields").toObject().value("userFeedbackId").toString(), QString::number(*list.datas.at(row).id));

    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("shot.png"));
    ASSERT_TRUE(picture(QSize(200, 400), Qt::yellow).save(path));
    FeedbackPicturePicker::setChooserForTesting([path](QWidget *, const FeedbackPicturePicker::Done &done) { done(path); });
    pane->toolView()->selectImage();
    ASSERT_TRUE(QTest::qWaitFor([&] { return pane->rowViews().size() == 4; }, kWait));
    upload = lastUpload();
    EXPECT_EQ(upload.value("files").toInt(), 1);
    EXPECT_FALSE(upload.value("fields").toObject().contains("content"));
    guest = qobject_cast<NBFeedbackGuestCell *>(pane->rowViews().at(3));
    ASSERT_NE(guest, nullptr);
    EXPECT_TRUE(guest->infoLab()->isHidden());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !guest->feedbackImgView()->pixmap().isNull(); }, kWait));
    EXPECT_EQ(guest->feedbackImgView()->pixmap().size(), QSize(42, 85));

    // Reopened, the conversation holds both replies and the service's answers to them.
    list.showFeedbackForm();
    ASSERT_TRUE(list.selectFeedback(indexOfContent(list, content)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return pane->rowViews().size() == 6; }, kWait));
}

// Pasted as a user pastes a long text: into the focused field from the clipboard.
static void paste(QWidget *field, const QString &text)
{
    QGuiApplication::clipboard()->setText(text);
    field->setFocus();
    QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
}

// The bubble holds all of `text`, laid out, and has the room to draw it: nothing cut, nothing
// hidden under the time.
static void expectShownWhole(NBFeedbackDetailCell *cell, const QString &text)
{
    FeedbackTextView *view = cell->infoLab();
    EXPECT_TRUE(view->text().endsWith(text));
    EXPECT_FALSE(view->text().contains(QChar(0x2026)));
    ASSERT_TRUE(view->isLaidOut());
    EXPECT_GE(view->height(), int(FeedbackText::height(text, view->width(), view->font())));
    EXPECT_EQ(view->height(), view->laidOutHeight());
    EXPECT_LT(view->geometry().bottom(), cell->timeLab()->geometry().top());
    EXPECT_LE(cell->cornerView()->geometry().bottom(), cell->height());
}

TEST_F(FeedbackStandin, ALongFeedbackAndALongReplyAreReadWholeInTheConversation)
{
    NBFeedbackListViewController list;
    list.resize(728, 500);
    list.show();
    list.ensureLoaded();
    const QString stamp = QString::number(QDateTime::currentMSecsSinceEpoch());
    QString content = QStringLiteral("开头 ") + stamp;
    while (content.size() < 2600)
        content += QStringLiteral(" 连接后十分钟自动断开，重连也不行；");
    content += QStringLiteral(" 结尾");

    // Written in the form and sent with its button.
    list.showFeedbackForm();
    NBContactViewController *form = list.feedbackVc();
    paste(form->inputView()->textView(), content);
    ASSERT_EQ(form->inputView()->textView()->toPlainText(), content);
    ASSERT_TRUE(form->inputView()->signUpButton()->isEnabled());
    QTest::mouseClick(form->inputView()->signUpButton(), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return indexOfContent(list, content) >= 0 && !form->isUploading(); }, kWait));
    EXPECT_EQ(lastUpload().value("fields").toObject().value("content").toString(), content);

    // Opened from its row, the conversation shows all of it.
    NBFeedbackItem *item = list.rows().at(indexOfContent(list, content));
    QTest::mouseClick(item, Qt::LeftButton, Qt::NoModifier, QPoint(100, item->height() / 2));
    NBFeedbackDetailViewController *pane = list.detailVC();
    ASSERT_TRUE(QTest::qWaitFor([&] { return pane && pane->rowViews().size() == 2 && infoText(pane) == content; }, kWait));
    auto *info = qobject_cast<NBFeedbackInfoCell *>(pane->rowViews().first());
    ASSERT_NE(info, nullptr);
    expectShownWhole(info, content);

    // A reply as long, sent with Return, joins the conversation whole.
    const QString reply = QStringLiteral("补充：") + QString(2500, QChar(0x65AD)) + QStringLiteral(" 完");
    NBCustomTextField *field = pane->toolView()->textField();
    paste(field, reply);
    ASSERT_EQ(field->text(), reply);
    QTest::keyClick(field, Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return pane->rowViews().size() == 3; }, kWait));
    EXPECT_EQ(lastUpload().value("fields").toObject().value("content").toString(), reply);
    auto *guest = qobject_cast<NBFeedbackGuestCell *>(pane->rowViews().at(2));
    ASSERT_NE(guest, nullptr);
    expectShownWhole(guest, reply);

    // Opened again, as the service keeps them, both are still whole.
    list.showFeedbackForm();
    item = list.rows().at(indexOfContent(list, content));
    QTest::mouseClick(item, Qt::LeftButton, Qt::NoModifier, QPoint(100, item->height() / 2));
    ASSERT_TRUE(QTest::qWaitFor([&] { return pane->rowViews().size() == 4 && infoText(pane) == content; }, kWait));
    expectShownWhole(qobject_cast<NBFeedbackInfoCell *>(pane->rowViews().first()), content);
    guest = qobject_cast<NBFeedbackGuestCell *>(pane->rowViews().at(2));
    ASSERT_NE(guest, nullptr);
    expectShownWhole(guest, reply);
}

TEST_F(FeedbackStandin, AReplyPastedBeyondALineFieldsUsualLimitGoesOutWhole)
{
    NBFeedbackListViewController list;
    list.resize(728, 500);
    list.show();
    list.ensureLoaded();
    const QString content = QStringLiteral("附上日志 %1").arg(QDateTime::currentMSecsSinceEpoch());
    const int row = sendFeedback(list, content, {});
    ASSERT_GE(row, 0);
    ASSERT_TRUE(list.selectFeedback(row));
    NBFeedbackDetailViewController *pane = list.detailVC();
    ASSERT_TRUE(QTest::qWaitFor([&] { return pane->rowViews().size() == 2; }, kWait));

    // Longer than the 32,767 characters a line field takes by default.
    QString reply = QStringLiteral("日志开始 ");
    while (reply.size() < 40000)
        reply += QStringLiteral("connect timeout 连接超时 ");
    reply += QStringLiteral("日志结束");
    NBCustomTextField *field = pane->toolView()->textField();
    paste(field, reply);
    EXPECT_EQ(field->text().size(), reply.size());
    QTest::keyClick(field, Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return pane->rowViews().size() == 3; }, kWait));
    EXPECT_EQ(lastUpload().value("fields").toObject().value("content").toString(), reply);
    auto *guest = qobject_cast<NBFeedbackGuestCell *>(pane->rowViews().at(2));
    ASSERT_NE(guest, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return guest->infoLab()->isLaidOut(); }, kWait));
    expectShownWhole(guest, reply);
}

TEST_F(FeedbackStandin, ReturnInAnEmptyReplyFieldSendsAnEmptyReply)
{
    NBFeedbackListViewController list;
    list.resize(728, 500);
    list.ensureLoaded();
    const int row = sendFeedback(list, QStringLiteral("空白回复 %1").arg(QDateTime::currentMSecsSinceEpoch()), {});
    ASSERT_GE(row, 0);
    ASSERT_TRUE(list.selectFeedback(row));
    NBFeedbackDetailViewController *pane = list.detailVC();
    ASSERT_TRUE(QTest::qWaitFor([&] { return pane->rowViews().size() == 2; }, kWait));

    NBCustomTextField *field = pane->toolView()->textField();
    ASSERT_TRUE(field->text().isEmpty());
    QTest::keyClick(field, Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return lastUpload().value("path").toString() == ApiPaths::kFeedbackResend; }, kWait));
    const QJsonObject fields = lastUpload().value("fields").toObject();
    ASSERT_TRUE(fields.contains("content"));
    EXPECT_EQ(fields.value("content").toString(), QString());
    EXPECT_EQ(lastUpload().value("files").toInt(), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return pane->toolView()->pendingReplies() == 0; }, kWait));
}

TEST_F(FeedbackStandin, FailedUploadsKeepTheInputAndSaySo)
{
    NBFeedbackListViewController list;
    list.resize(728, 500);
    list.ensureLoaded();
    list.showFeedbackForm();
    NBContactViewController *form = list.feedbackVc();
    const QString content = QStringLiteral("这次会失败的反馈");
    form->inputView()->textView()->setPlainText(content);
    form->inputView()->textFiled()->setText(QStringLiteral("13800000000"));
    form->inputView()->imageArray = {picture(QSize(10, 10), Qt::red), picture(QSize(12, 12), Qt::blue)};

    for (const QString &kind : {QStringLiteral("http500"), QStringLiteral("bad_body"), QStringLiteral("fail")}) {
        ASSERT_TRUE(s_standin->fault(ApiPaths::kCreateFeedbacks, kind, 1));
        form->submit();
        EXPECT_TRUE(form->isUploading());
        EXPECT_FALSE(form->inputView()->signUpButton()->isEnabled());
        ASSERT_TRUE(QTest::qWaitFor([&] { return !form->isUploading(); }, kWait)) << kind.toStdString();
        const QString expected = kind == QLatin1String("fail") ? QStringLiteral("操作失败")
            : kind == QLatin1String("http500") ? QStringLiteral("上传图片失败")
                                               : localizedByAppLanguage(QStringLiteral("SETTING_CONTACTUS_REPORT_FAILED"));
        EXPECT_TRUE(QTest::qWaitFor([&] { return toastShows(form, expected); }, kWait)) << kind.toStdString();
        EXPECT_EQ(form->inputView()->textView()->toPlainText(), content);
        EXPECT_EQ(form->inputView()->textFiled()->text(), QStringLiteral("13800000000"));
        EXPECT_EQ(form->inputView()->imageArray.size(), 2);
        EXPECT_TRUE(form->inputView()->signUpButton()->isEnabled());
        EXPECT_EQ(form->parentViewController(), &list);
    }

    // A reply that fails gives its text back.
    const int row = sendFeedback(list, QStringLiteral("回复会失败 %1").arg(QDateTime::currentMSecsSinceEpoch()), {});
    ASSERT_GE(row, 0);
    ASSERT_TRUE(list.selectFeedback(row));
    NBFeedbackDetailViewController *pane = list.detailVC();
    ASSERT_TRUE(QTest::qWaitFor([&] { return pane->rowViews().size() == 2; }, kWait));
    ASSERT_TRUE(s_standin->fault(ApiPaths::kFeedbackResend, QStringLiteral("http500"), 1));
    pane->toolView()->textField()->setText(QStringLiteral("请再看看"));
    pane->toolView()->textFieldDidEndEditing();
    ASSERT_TRUE(QTest::qWaitFor([&] { return pane->toolView()->pendingReplies() == 0; }, kWait));
    EXPECT_EQ(pane->toolView()->textField()->text(), QStringLiteral("请再看看"));
    EXPECT_EQ(pane->rowViews().size(), 2);
}

TEST_F(FeedbackStandin, SwitchingQuicklyNeverShowsOneFeedbackUnderAnother)
{
    NBFeedbackListViewController list;
    list.resize(728, 500);
    list.ensureLoaded();
    const qint64 stamp = QDateTime::currentMSecsSinceEpoch();
    const QString first = QStringLiteral("第一条 %1").arg(stamp);
    const QString second = QStringLiteral("第二条 %1").arg(stamp);
    ASSERT_GE(sendFeedback(list, first, {}), 0);
    ASSERT_GE(sendFeedback(list, second, {}), 0);

    // The first one's conversation answers late, after the second is shown.
    const HeldAnswers held(*s_standin, ApiPaths::kFeedbackRecord);
    ASSERT_TRUE(held.isSet());
    ASSERT_TRUE(list.selectFeedback(indexOfContent(list, first)));
    ASSERT_TRUE(held.waitUntilHeld());
    ASSERT_TRUE(list.selectFeedback(indexOfContent(list, second)));
    NBFeedbackDetailViewController *pane = list.detailVC();
    // The second conversation loads under a cover of its own, a visible one.
    EXPECT_TRUE(pane->isLoading());
    const auto covers = pane->findChildren<OOLoadingView *>();
    EXPECT_EQ(std::count_if(covers.begin(), covers.end(), [](OOLoadingView *cover) { return cover->isVisibleTo(cover->parentWidget()); }), 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return infoText(pane) == second; }, kWait));
    ASSERT_TRUE(held.release(listRoundTrip));
    EXPECT_EQ(infoText(pane), second);
    EXPECT_EQ(pane->toolView()->feedbackId, QString::number(*list.selectModel->id));
    EXPECT_EQ(list.selectModel->content, second);
    EXPECT_FALSE(pane->isLoading());
}

TEST_F(FeedbackStandin, OnlyDecodablePicturesAreCachedAndAKeyIsFetchedOnce)
{
    // Not a picture behind the address: nothing is cached, nothing shown.
    const QString notPicture = s_standin->baseUrl() + QStringLiteral("/static/page.html?fid=not-a-picture");
    QLabel view;
    int handled = 0;
    QObject::connect(&ImageLoader::shared(), &ImageLoader::downloadHandled, &view, [&] { ++handled; });
    ASSERT_TRUE(FeedbackPicture::load(notPicture, &view, QSize(85, 85)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return handled == 1; }, kWait));
    EXPECT_FALSE(ImageCache::shared().containsDataForKey(QStringLiteral("not-a-picture")));
    EXPECT_TRUE(view.pixmap().isNull());
    // No "fid": no request at all.
    EXPECT_FALSE(FeedbackPicture::load(s_standin->baseUrl() + QStringLiteral("/static/images/a.png"), &view, QSize(85, 85)));

    // A relative path with a "fid" comes from the current domain; a second view of the same
    // key is served from the cache.
    const QString fid = QStringLiteral("tiny-%1").arg(QDateTime::currentMSecsSinceEpoch());
    QLabel first;
    ASSERT_TRUE(FeedbackPicture::load(QStringLiteral("/static/images/t.png?fid=") + fid, &first, QSize(85, 85)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !first.pixmap().isNull(); }, kWait));
    EXPECT_EQ(handled, 2);
    EXPECT_TRUE(QFile::exists(ImageCache::shared().cachePathForKey(fid)));
    QLabel second;
    ASSERT_TRUE(FeedbackPicture::load(s_standin->baseUrl() + QStringLiteral("/static/images/other.png?fid=") + fid, &second, QSize(85, 85)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !second.pixmap().isNull(); }, kWait));
    EXPECT_EQ(handled, 2);
}

// A stand-in of its own: the megabyte feedback it leaves would weigh on every later list.
class HostileFeedbackStandin : public FeedbackStandin
{
};

TEST_F(HostileFeedbackStandin, AHostileFeedbackIsShownAsTextEveryTimeTheListOpens)
{
    // Markup that would read /dev/zero without end if a label took it for rich text, control
    // characters, an emoji, and a line of a megabyte.
    const QString stamp = QString::number(QDateTime::currentMSecsSinceEpoch());
    const QString hostile = QStringLiteral("<img src=\"/dev/zero\"><b>粗</b>\x07\x1b 😀 ") + stamp;
    const QString shown = QStringLiteral("<img src=\"/dev/zero\"><b>粗</b> 😀 ") + stamp;
    const QString megabyte = stamp + QString(1024 * 1024, QLatin1Char('m'));
    {
        NBFeedbackListViewController list;
        list.ensureLoaded();
        ASSERT_GE(sendFeedback(list, hostile, {}), 0);
        ASSERT_GE(sendFeedback(list, megabyte, {}), 0);
    }

    // Opened again, as the more page opens it: the rows come from the service.
    NBFeedbackListViewController list;
    list.resize(728, 500);
    list.show();
    list.ensureLoaded();
    ASSERT_TRUE(QTest::qWaitFor([&] { return indexOfContent(list, hostile) >= 0 && indexOfContent(list, megabyte) >= 0; },
                                kWait));
    const int row = indexOfContent(list, hostile);
    NBFeedbackItem *item = list.rows().at(row);
    EXPECT_EQ(item->descLab()->textFormat(), Qt::PlainText);
    EXPECT_EQ(item->descLab()->text(), shown);
    NBFeedbackItem *huge = list.rows().at(indexOfContent(list, megabyte));
    EXPECT_EQ(huge->descLab()->textFormat(), Qt::PlainText);
    EXPECT_LE(huge->descLab()->text().size(), 201);
    list.repaint();

    // The conversation, opened by a click on the row: the text is text there too.
    QTest::mouseClick(item, Qt::LeftButton, Qt::NoModifier, QPoint(100, item->height() / 2));
    NBFeedbackDetailViewController *pane = list.detailVC();
    ASSERT_TRUE(QTest::qWaitFor([&] { return pane && !pane->rowViews().isEmpty() && infoText(pane) == hostile; }, kWait));
    auto *info = qobject_cast<NBFeedbackInfoCell *>(pane->rowViews().first());
    ASSERT_NE(info, nullptr);
    // Shown as written: the markup is characters on the screen, the control characters gone.
    EXPECT_EQ(info->infoLab()->text(), NBFeedbackDetailInfoModel::infoPrefix() + shown);
    pane->repaint();

    // The megabyte one opens too, whole as it was written, and the pane still draws.
    const int hugeRow = indexOfContent(list, megabyte);
    QTest::mouseClick(list.rows().at(hugeRow), Qt::LeftButton, Qt::NoModifier, QPoint(100, 20));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !pane->rowViews().isEmpty() && infoText(pane) == megabyte; }, kWait));
    info = qobject_cast<NBFeedbackInfoCell *>(pane->rowViews().first());
    ASSERT_NE(info, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return info->infoLab()->isLaidOut(); }, kWait));
    EXPECT_TRUE(info->infoLab()->text().endsWith(megabyte));
    // One unbroken word of a megabyte is wrapped anywhere, never run off the bubble's side.
    EXPECT_GT(info->infoLab()->lineCount(), 1000);
    EXPECT_EQ(info->infoLab()->height(), info->infoLab()->laidOutHeight());
    pane->repaint();
}

// A megabyte reply, as a broken or hostile service can hand back, is laid out a piece per turn of
// the event loop: the window keeps taking events while the reply shows, and it ends up whole.
TEST_F(HostileFeedbackStandin, AMegabyteReplyIsLaidOutWhileTheWindowKeepsTurning)
{
    NBFeedbackListViewController list;
    list.resize(728, 500);
    list.show();
    list.ensureLoaded();
    const QString content = QStringLiteral("长回复 %1").arg(QDateTime::currentMSecsSinceEpoch());
    const int row = sendFeedback(list, content, {});
    ASSERT_GE(row, 0);
    QString reply = QStringLiteral("开头 ");
    while (reply.size() < 1024 * 1024)
        reply += QStringLiteral("reconnect fails again 重连失败 ");
    reply += QStringLiteral("结尾");
    // Shared, so that an answer after a failed wait finds it alive.
    auto answered = std::make_shared<bool>(false);
    OONetWorkTool::resendFeedback({}, {}, reply, *list.datas.at(row).id,
                                  [answered](std::optional<QJsonObject>, std::optional<QString>) { *answered = true; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return *answered; }, kWait));

    NBFeedbackDetailViewController *pane = list.detailVC();
    const auto shownReply = [&]() -> NBFeedbackGuestCell * {
        for (QWidget *view : pane->rowViews()) {
            auto *guest = qobject_cast<NBFeedbackGuestCell *>(view);
            if (guest && guest->infoLab()->text() == reply)
                return guest;
        }
        return nullptr;
    };
    // Turns of the event loop taken while the reply is shown but not yet laid out whole.
    int turnsWhileLayingOut = 0;
    QTimer turn;
    turn.setInterval(0);
    QObject::connect(&turn, &QTimer::timeout, [&] {
        NBFeedbackGuestCell *guest = shownReply();
        if (guest && !guest->infoLab()->isLaidOut())
            ++turnsWhileLayingOut;
    });
    turn.start();

    const int shownRow = indexOfContent(list, content);
    ASSERT_GE(shownRow, 0);
    NBFeedbackItem *item = list.rows().at(shownRow);
    QTest::mouseClick(item, Qt::LeftButton, Qt::NoModifier, QPoint(100, item->height() / 2));
    ASSERT_TRUE(QTest::qWaitFor([&] { return shownReply() && shownReply()->infoLab()->isLaidOut(); }, 3 * kWait));
    turn.stop();
    EXPECT_GE(turnsWhileLayingOut, 10);

    // Whole, and the row grew with its text: the end of the conversation is in view.
    NBFeedbackGuestCell *guest = shownReply();
    EXPECT_GT(guest->infoLab()->lineCount(), 1000);
    EXPECT_EQ(guest->infoLab()->height(), guest->infoLab()->laidOutHeight());
    EXPECT_LT(guest->infoLab()->geometry().bottom(), guest->timeLab()->geometry().top());
    QScrollBar *bar = pane->scrollView()->verticalScrollBar();
    QTRY_VERIFY_WITH_TIMEOUT(pane->scrollView()->widget()->height() > guest->infoLab()->laidOutHeight() && bar->value() == bar->maximum(), kWait);
    pane->repaint();
}

// A stand-in of its own, so that the list starts empty.
class FirstFeedbackStandin : public FeedbackStandin
{
};

TEST_F(FirstFeedbackStandin, AnEmptyListOffersTheFormAndGivesWayToTheFirstFeedback)
{
    NBFeedbackListViewController list;
    list.resize(728, 500);
    list.show();
    list.ensureLoaded();
    const auto emptyStates = [&] { return list.findChildren<NBMessageDefaultView *>(QString(), Qt::FindDirectChildrenOnly); };
    ASSERT_TRUE(QTest::qWaitFor([&] { return !list.isLoading() && emptyStates().size() == 1; }, kWait));
    NBMessageDefaultView *empty = emptyStates().first();
    EXPECT_EQ(empty->tipLab()->text(), QStringLiteral("您还没有反馈记录"));
    EXPECT_TRUE(empty->isVisible());
    EXPECT_TRUE(list.toolView()->isHidden());
    ASSERT_TRUE(empty->confirmBtn()->isVisible());

    // Its button opens the form, and the first feedback takes the empty state's place.
    QTest::mouseClick(empty->confirmBtn(), Qt::LeftButton);
    NBContactViewController *form = list.feedbackVc();
    ASSERT_TRUE(form->isVisible());
    const QString content = QStringLiteral("第一次反馈 %1").arg(QDateTime::currentMSecsSinceEpoch());
    ASSERT_GE(sendFeedback(list, content, {}), 0);
    EXPECT_TRUE(emptyStates().isEmpty());
    EXPECT_FALSE(list.toolView()->isHidden());
}
