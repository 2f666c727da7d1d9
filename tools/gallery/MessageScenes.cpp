// Pictures of the message centre (unread rows, a chosen row with its pane, the empty state) and
// of the notice box. Fake data only, no network. The pane's web view is not pictured: the
// gallery draws without a web engine, so the chosen message's pane shows as its plain page.
#include "GalleryScene.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QScrollArea>
#include <QScrollBar>
#include <QTextBrowser>

#include "settings/message/NBMessageViewController.h"
#include "settings/notice/OONoticePopupView.h"

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

NBMessageViewController *centre(const QJsonObject &reply)
{
    auto *screen = new NBMessageViewController;
    screen->requestsOnLoad = false;
    screen->ensureLoaded();
    screen->handleMessages(reply);
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
    NBMessageViewController *screen = centre(listReply());
    // What choosing the second row leaves: its dot gone, the row marked, the pane in place.
    screen->datas[1].isRead = 1;
    screen->selectModel = screen->datas.at(1);
    screen->reloadData();
    screen->attachDetail();
    return screen;
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
