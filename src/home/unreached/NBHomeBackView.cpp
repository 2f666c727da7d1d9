#include "home/unreached/NBHomeBackView.h"

#include <QElapsedTimer>
#include <QMouseEvent>

#include "common/DefaultsKeys.h"
#include "common/Logger.h"
#include "common/UserDefaults.h"
#include "home/NBCircleAnimationView.h"
#include "home/NBHomeViewController.h"
#include "home/unreached/OOKillSwitchTipView.h"

namespace {
constexpr int kStageSize = 375;
constexpr int kTipWidth = 284;
constexpr int kTipHeight = 55;
constexpr int kTipBottom = 24;
} // namespace

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

NBHomeViewController *NBHomeBackView::homeAbove(const QWidget *widget)
{
    for (QWidget *w = widget ? widget->parentWidget() : nullptr; w; w = w->parentWidget()) {
        if (auto *home = qobject_cast<NBHomeViewController *>(w))
            return home;
    }
    return nullptr;
}

NBCircleAnimationView *NBHomeBackView::lottleAnimationView()
{
    if (m_lottleAnimationView)
        return m_lottleAnimationView;
    m_lottleAnimationView = new NBCircleAnimationView(this);
    m_lottleAnimationView->hide();
    // Under the tip, as the two were laid out together.
    m_lottleAnimationView->stackUnder(m_tipView);
    m_lottleAnimationView->setGeometry((width() - kStageSize) / 2, 0, kStageSize, kStageSize);
    return m_lottleAnimationView;
}

void NBHomeBackView::handleStartClick()
{
    const qint64 now = m_clock();
    if (m_lastClick && now - *m_lastClick <= kButtonClickIntervalMs) {
        OSTREL_LOG(Logger::Debug, QStringLiteral("点击间隔过短，忽略点击"));
        return;
    }
    m_lastClick = now;
    NBHomeViewController *home = homeAbove(this);
    if (!home)
        return;
    if (UserDefaults::standard().boolForKey(DefaultsKeys::ShadowsocksOn))
        home->stopConnect();
    else
        home->startConnect();
}

void NBHomeBackView::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        handleStartClick();
}

void NBHomeBackView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (m_lottleAnimationView)
        m_lottleAnimationView->setGeometry((width() - kStageSize) / 2, 0, kStageSize, kStageSize);
    m_tipView->setGeometry((width() - kTipWidth) / 2, kStageSize - kTipBottom - kTipHeight, kTipWidth, kTipHeight);
}
