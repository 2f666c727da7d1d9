#include "settings/notice/NoticeStartupOpener.h"

#include <QTextBrowser>

#include "app/NBMainSplitViewController.h"
#include "app/StartupOpenOption.h"
#include "settings/notice/OONoticePopupView.h"

void NoticeStartupOpener::registerName()
{
    StartupOpenOption::registerOpener(QStringLiteral("notice"), [](NBMainSplitViewController &split) { open(&split); });
}

OONoticePopupView *NoticeStartupOpener::open(QWidget *over)
{
    auto *popup = new OONoticePopupView(over);
    popup->textView()->setHtml(sampleHtml());
    popup->raise();
    popup->show();
    return popup;
}

QString NoticeStartupOpener::sampleHtml()
{
    return QStringLiteral("<p><b>公告 · Notice</b></p>"
                          "<p>这是一条示例公告，由启动参数 --open notice 打开。</p>"
                          "<p>A sample notice, opened by the start option --open notice. Links leave "
                          "through the desktop's browser: <a href=\"https://example.com/notice\">example.com</a>.</p>");
}
