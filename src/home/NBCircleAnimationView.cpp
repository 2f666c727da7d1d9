#include "home/NBCircleAnimationView.h"

#include "home/LottieWidget.h"

NBCircleAnimationView::NBCircleAnimationView(QWidget *parent)
    : QWidget(parent)
{
}

LottieWidget *NBCircleAnimationView::animationView()
{
    if (!m_animationView) {
        m_animationView = new LottieWidget(this);
        m_animationView->setGeometry(rect());
        // The stage takes the clicks; the player only draws.
        m_animationView->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    return m_animationView;
}

void NBCircleAnimationView::showLoading()
{
    play(QStringLiteral("loading"));
}

void NBCircleAnimationView::showRunning()
{
    play(QStringLiteral("runnung"));
}

void NBCircleAnimationView::showPausing()
{
    play(QStringLiteral("pausing"));
}

void NBCircleAnimationView::showKillSwitch()
{
    play(QStringLiteral("conn_killswitch"), kKillSwitchFirstFrame, kKillSwitchLastFrame);
}

void NBCircleAnimationView::play(const QString &name, int firstFrame, int lastFrame)
{
    LottieWidget *player = animationView();
    player->show();
    player->play(name, firstFrame, lastFrame);
}

void NBCircleAnimationView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (m_animationView)
        m_animationView->setGeometry(rect());
}
