#include "home/NBHomeBackView.h"

#include <QElapsedTimer>
#include <QMouseEvent>

#include "common/DefaultsKeys.h"
#include "common/Logger.h"
#include "common/UserDefaults.h"
#include "home/NBNewHomeContentViewProtocol.h"
#include "home/OOKillSwitchTipView.h"

NBHomeBackView::NBHomeBackView(QWidget *parent)
    : QWidget(parent)
    , m_clock([] {
        static QElapsedTimer timer = [] {
            QElapsedTimer t;
            t.start();
            return t;
        }();
        return timer.elapsed();
    })
{
    m_tipView = new OOKillSwitchTipView(this);
    m_tipView->hide();
}

void NBHomeBackView::handleStartClick()
{
    const qint64 now = m_clock();
    if (m_lastClick && now - *m_lastClick <= kButtonClickIntervalMs) {
        OSTREL_LOG(Logger::Debug, QStringLiteral("点击间隔过短，忽略点击"));
        return;
    }
    m_lastClick = now;
    if (!m_delegate)
        return;
    if (UserDefaults::standard().boolForKey(DefaultsKeys::ShadowsocksOn))
        m_delegate->stopConnect();
    else
        m_delegate->startConnect();
}

void NBHomeBackView::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        handleStartClick();
}
