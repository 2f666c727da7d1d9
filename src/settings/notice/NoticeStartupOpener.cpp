#include "settings/notice/NoticeStartupOpener.h"

#include <QEvent>
#include <QPointer>
#include <QTextBrowser>
#include <QTimer>

#include "app/NBMainSplitViewController.h"
#include "app/StartupOpenOption.h"
#include "settings/notice/OONoticePopupView.h"

void NoticeStartupOpener::registerName()
{
    StartupOpenOption::registerOpener(QStringLiteral("notice"), [](NBMainSplitViewController &split) { open(&split); });
}

namespace {

// Keeps the sample box above whatever the start shows over the same view after it (the upgrade
// dialog, notices of the service): the box was asked for by name, so it is what the user sees.
class StayOnTop : public QObject
{
public:
    explicit StayOnTop(QWidget *box)
        : QObject(box)
        , m_box(box)
    {
        if (box->parentWidget())
            box->parentWidget()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::ChildAdded && watched == m_box->parentWidget()) {
            // After the newcomer has raised and shown itself.
            QPointer<QWidget> box = m_box;
            QTimer::singleShot(0, this, [box] {
                if (box && box->isVisible())
                    box->raise();
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QPointer<QWidget> m_box;
};

} // namespace

OONoticePopupView *NoticeStartupOpener::open(QWidget *over)
{
    auto *popup = new OONoticePopupView(over);
    popup->textView()->setHtml(sampleHtml());
    popup->raise();
    popup->show();
    new StayOnTop(popup);
    return popup;
}

QString NoticeStartupOpener::sampleHtml()
{
    return QStringLiteral("<p><b>公告 · Notice</b></p>"
                          "<p>这是一条示例公告，由启动参数 --open notice 打开。</p>"
                          "<p>A sample notice, opened by the start option --open notice. Links leave "
                          "through the desktop's browser: <a href=\"https://example.com/notice\">example.com</a>.</p>");
}
