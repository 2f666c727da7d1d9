// Pictures of the message centre (unread rows, a chosen row with its message in the pane, the
// empty state) and of the notice box. Fake data only, no network. The pane is a web view that
// paints some frames after its page loaded, so those pictures are taken once it has painted.
#include "GalleryScene.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QPointer>
#include <QScrollArea>
#include <QScrollBar>
#include <QTextBrowser>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include "settings/message/MessageDetailWebPage.h"
#include "settings/message/NBMessageDetailViewController.h"
#include "settings/message/NBMessageViewController.h"
#include "settings/notice/OONoticePopupView.h"
#include "web/unreached/WebViewSnapshot.h"

namespace {

QJsonObject message(qint64 id, int type, int read, const QString &title, const QString &body, const QString &time)
{
    return QJsonObject{{"id", id}, {"messageType", type}, {"isRead", read}, {"title", title},
                       {"body", body}, {"createTime", time}};
}

QJsonObject listReply()
{
    return QJsonObject{{"success", true},
                       {"data", QJsonArray{
                            message(4, 1, 0, QStringLiteral("会员限时优惠"),
                                    QStringLiteral("<p>本周开通高级会员立享八折，<a href=\"marlet://linkBuy\">立即开通</a>。</p>"),
                                    QStringLiteral("2024-05-04 10:00:00")),
                            message(3, 2, 0, QStringLiteral("线路维护通知：今晚 02:00 至 04:00 部分线路维护，期间可能短暂断开"),
                                    QStringLiteral("<p>今晚 02:00 至 04:00 部分线路维护，期间可能短暂断开。维护结束后线路会自动恢复，无需重新连接；"
                                                   "如仍无法使用，请切换到其他线路或联系我们。</p>"),
                                    QStringLiteral("2024-05-03 10:00:00")),
                            message(2, 2, 1, QStringLiteral("<b>Release notes</b> & \"quotes\""),
                                    QStringLiteral("Plain text with a < sign and an &amp; entity."),
                                    QStringLiteral("2024-05-02 10:00:00")),
                            message(1, 2, 1, QStringLiteral("欢迎使用"),
                                    QStringLiteral("<p>有任何问题请写信给 <a href=\"mailto:support@example.com\">support@example.com</a>。</p>"),
                                    QStringLiteral("2024-05-01 10:00:00"))}}};
}

// One message longer than the pane, with an address too long for a line.
QJsonObject longReply()
{
    QString body;
    for (int i = 1; i <= 8; ++i)
        body += QStringLiteral("<p>第 %1 段：本次更新改进了线路选择与连接稳定性，修复了若干在休眠唤醒后无法自动重连的问题。</p>").arg(i);
    body += QStringLiteral("<p>完整说明：<a href=\"https://example.com/releases/2024/05/very-long-release-notes-address-that-does-not-fit\">"
                           "https://example.com/releases/2024/05/very-long-release-notes-address-that-does-not-fit</a></p>");
    return QJsonObject{{"success", true},
                       {"data", QJsonArray{message(7, 2, 0, QStringLiteral("版本更新说明"), body, QStringLiteral("2024-05-06 09:30:00"))}}};
}

NBMessageViewController *centre(const QJsonObject &reply)
{
    auto *screen = new NBMessageViewController;
    screen->requestsOnLoad = false;
    screen->ensureLoaded();
    screen->handleMessages(reply);
    return screen;
}

// The centre with `row` chosen as a click leaves it (its dot gone, the row marked, the pane in
// place showing the message), pictured once the pane has painted the message.
QWidget *chosen(const QJsonObject &reply, int row)
{
    NBMessageViewController *screen = centre(reply);
    screen->datas[row].isRead = 1;
    screen->selectModel = screen->datas.at(row);
    screen->reloadData();
    screen->attachDetail();
    NBMessageDetailViewController *detail = screen->detailVC();
    auto *view = qobject_cast<QWebEngineView *>(detail->webView());
    auto *page = view ? qobject_cast<MessageDetailWebPage *>(view->page()) : nullptr;
    if (!page)
        return screen;
    // The pane's page runs no script, and the snapshot asks the page through one whether it has
    // painted. Scripts come back for the picture only: the template's content policy still
    // keeps any script of a message body from running, and the fake bodies have none.
    page->settings()->setAttribute(QWebEngineSettings::JavascriptEnabled, true);
    detail->model = screen->selectModel;
    detail->loadMessage();
    QPointer<NBMessageViewController> guardScreen(screen);
    QPointer<MessageDetailWebPage> guardPage(page);
    setGalleryPictureSource(screen, [guardScreen, guardPage](GalleryPictureDone done) {
        if (!guardScreen || !guardPage) {
            done(QImage());
            return;
        }
        WebViewSnapshot::capture(guardScreen, guardPage, {QStringLiteral("document.fonts.status === 'loaded'"), 30000},
                                 nullptr, done);
    });
    return screen;
}

QString noticeHtml()
{
    return QStringLiteral(
        "<p><b>服务公告</b></p>"
        "<p>为了提供更稳定的连接，我们将于本周六凌晨进行服务器升级，升级期间部分线路可能短暂不可用。</p>"
        "<p>升级完成后无需任何操作，客户端会自动获取最新线路。</p>"
        "<p>详情见 <a href=\"https://example.com/notice\">公告页面</a>，或写信给 "
        "<a href=\"mailto:support@example.com\">support@example.com</a>。</p>");
}

} // namespace

OSTREL_GALLERY_SCENE("message/list_unread", 728, 500)
{
    return centre(listReply());
}

OSTREL_GALLERY_SCENE("message/list_chosen", 728, 500)
{
    // A long title and a long body: both must wrap inside the pane.
    return chosen(listReply(), 1);
}

OSTREL_GALLERY_SCENE("message/list_chosen_link", 728, 500)
{
    return chosen(listReply(), 0);
}

OSTREL_GALLERY_SCENE("message/list_chosen_markup_title", 728, 500)
{
    // The title holds markup and quotes: shown as the text it is, never as bold.
    return chosen(listReply(), 2);
}

OSTREL_GALLERY_SCENE("message/list_chosen_long", 728, 500)
{
    // Longer than the pane: the page scrolls, and the long address wraps.
    return chosen(longReply(), 0);
}

OSTREL_GALLERY_SCENE("message/empty", 728, 500)
{
    return centre(QJsonObject{{"success", true}, {"data", QJsonArray()}});
}

OSTREL_GALLERY_SCENE("notice/popup", 800, 500)
{
    QWidget *host = galleryWindowHost();
    auto *popup = new OONoticePopupView(host);
    popup->textView()->setHtml(noticeHtml());
    popup->show();
    return host;
}

OSTREL_GALLERY_SCENE("notice/popup_long", 800, 500)
{
    QWidget *host = galleryWindowHost();
    auto *popup = new OONoticePopupView(host);
    QString html;
    for (int i = 0; i < 6; ++i)
        html += noticeHtml();
    popup->textView()->setHtml(html);
    popup->show();
    popup->scrollView()->verticalScrollBar()->setValue(popup->scrollView()->verticalScrollBar()->maximum() / 2);
    return host;
}
