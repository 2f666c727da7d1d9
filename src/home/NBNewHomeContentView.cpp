#include "home/NBNewHomeContentView.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>

#include "uikit/BackgroundWindowMove.h"
#include "uikit/UiImages.h"
#include "uikit/UiTiming.h"
#include "common/DefaultsKeys.h"
#include "common/Logger.h"
#include "common/UserDefaults.h"
#include "home/LottieWidget.h"
#include "home/NBCircleAnimationView.h"
#include "home/NBConnectView.h"
#include "home/NBNewHomeContentViewProtocol.h"
#include "home/NBNewKillSwitchTipView.h"
#include "upgrade/NBAboutUpgradeView.h"
#include "uikit/PlainText.h"

namespace {

constexpr int kCircleSize = 375;
constexpr int kCircleTop = 20;

QLabel *imageLabel(const QString &name, const QSize &size, QWidget *parent)
{
    auto *label = PlainText::label(parent);
    label->setPixmap(UiImages::pixmap(name, size, parent->devicePixelRatioF()));
    label->setScaledContents(true);
    label->setProperty("assetName", name);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    return label;
}

qint64 monotonicMs()
{
    static QElapsedTimer timer = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return timer.elapsed();
}

} // namespace

NBNewHomeContentView::NBNewHomeContentView(QWidget *parent)
    : QWidget(parent)
    , m_clock(monotonicMs)
{
    // The stage's backdrop and circles are the home screen's background: a drag there moves the
    // window, as on any other screen; the connect button, the stage and the banner keep their presses.
    BackgroundWindowMove::markAsSurface(this);
    m_contentBgView = imageLabel(QStringLiteral("bg"), QSize(728, 500), this);
    m_contentCircleView = new QWidget(this);
    m_cicleOutSideView = imageLabel(QStringLiteral("circle_inside"), QSize(322, 372), m_contentCircleView);
    m_cicleInSideView = imageLabel(QStringLiteral("circle_outside"), QSize(173, 173), m_contentCircleView);
    m_connectButton = new NBConnectView(m_contentCircleView);
    m_connectButton->clickAction = [this] { handleStartClick(); };
    m_lottleAnimationView = new NBCircleAnimationView(m_contentCircleView);
    m_lottleAnimationView->setCursor(Qt::PointingHandCursor);
    m_lottleAnimationView->installEventFilter(this);
    m_lottleAnimationView->hide();
    m_killSwitchTipView = new NBNewKillSwitchTipView(m_contentCircleView);
    m_killSwitchTipView->hide();

    m_cicleOutSideView->setGeometry((kCircleSize - 322) / 2, (kCircleSize - 372) / 2 + 5, 322, 372);
    m_cicleInSideView->setGeometry((kCircleSize - 173) / 2, (kCircleSize - 173) / 2, 173, 173);
    m_connectButton->setGeometry((kCircleSize - 56) / 2, (kCircleSize - 84) / 2, 56, 84);
    m_lottleAnimationView->setGeometry(0, 0, kCircleSize, kCircleSize);
    m_killSwitchTipView->setGeometry((kCircleSize - 284) / 2, kCircleSize - 24 - 50, 284, 50);

    m_longPressTimer.setSingleShot(true);
    connect(&m_longPressTimer, &QTimer::timeout, this, [this] {
        if (m_longPressArmed && m_stagePressed)
            handleLongPress();
    });
}

void NBNewHomeContentView::setUpgradeView(NBAboutUpgradeView *view)
{
    m_upgradeView = view;
    if (!view)
        return;
    if (view->parentWidget() != m_contentCircleView)
        view->setParent(m_contentCircleView);
    view->raise();
    layoutUpgradeView();
}

int NBNewHomeContentView::upgradeBannerWidth(const NBAboutUpgradeView &banner)
{
    const QLabel *text = banner.nameLab();
    const QFontMetrics metrics(text->font());
    return metrics.boundingRect(QRect(0, 0, 375, 12), Qt::AlignLeft, text->text()).width() + 60;
}

void NBNewHomeContentView::layoutUpgradeView()
{
    if (!m_upgradeView)
        return;
    const int width = upgradeBannerWidth(*m_upgradeView);
    m_upgradeView->setGeometry((kCircleSize - width) / 2, 0, width, 30);
}

void NBNewHomeContentView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_contentBgView->setGeometry(rect());
    m_contentCircleView->setGeometry((width() - kCircleSize) / 2, kCircleTop, kCircleSize, kCircleSize);
}

void NBNewHomeContentView::showStage()
{
    m_lottleAnimationView->show();
}

void NBNewHomeContentView::updateState(NBConnectAreaState state)
{
    m_state = state;
    if (state != NBConnectAreaState::killSwitch) {
        // Any other look ends the kill switch: its tip and its long press go with it.
        m_killSwitchTipView->hide();
        disarmLongPress();
        m_tapEnabled = true;
    }
    switch (state) {
    case NBConnectAreaState::pausing:
        showStage();
        m_lottleAnimationView->showPausing();
        break;
    case NBConnectAreaState::paused:
        m_isOn = false;
        m_lottleAnimationView->hide();
        if (LottieWidget *player = m_lottleAnimationView->existingAnimationView())
            player->hide();
        break;
    case NBConnectAreaState::loading:
        showStage();
        m_lottleAnimationView->showLoading();
        break;
    case NBConnectAreaState::running:
        showStage();
        m_isOn = true;
        m_lottleAnimationView->showRunning();
        break;
    case NBConnectAreaState::killSwitch:
        showStage();
        m_isOn = true;
        m_lottleAnimationView->showKillSwitch();
        m_killSwitchTipView->show();
        m_longPressArmed = true;
        m_tapEnabled = false;
        break;
    }
    Q_EMIT stateChanged(state);
}

void NBNewHomeContentView::handleStartClick()
{
    const qint64 now = m_clock();
    const bool on = UserDefaults::standard().boolForKey(DefaultsKeys::ShadowsocksOn);
    if (m_lastClick && now - *m_lastClick <= kButtonClickIntervalMs) {
        OSTREL_LOG(Logger::Debug, QStringLiteral("点击间隔过短，忽略点击"));
        return;
    }
    m_lastClick = now;
    if (!m_delegate)
        return;
    if (on)
        m_delegate->stopConnect();
    else
        m_delegate->startConnect();
}

void NBNewHomeContentView::handleLongPress()
{
    OSTREL_LOG(Logger::Debug, QStringLiteral("长按检测到"));
    m_tapEnabled = true;
    // The press that made the long press is used up: its release is not a click as well. Taps
    // come back for the presses that begin after it.
    m_pressMayClick = false;
    disarmLongPress();
    QPointer<NBNewHomeContentView> self(this);
    UiTiming::singleShot(kLongPressStopDelayMs, this, [self] {
        if (!self)
            return;
        self->m_killSwitchTipView->hide();
        // Already off (the engine died and the proxy was released some other way): nothing will
        // answer a stop, so the area leaves the kill-switch look itself.
        if (!UserDefaults::standard().boolForKey(DefaultsKeys::ShadowsocksOn)) {
            self->updateState(NBConnectAreaState::paused);
            return;
        }
        if (self->m_delegate)
            self->m_delegate->stopProxy(true, {});
    });
}

void NBNewHomeContentView::disarmLongPress()
{
    m_longPressArmed = false;
    m_longPressTimer.stop();
}

bool NBNewHomeContentView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_lottleAnimationView)
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() != Qt::LeftButton)
            return true;
        m_stagePressed = true;
        m_pressMayClick = m_tapEnabled;
        m_pressPoint = mouse->position().toPoint();
        if (m_longPressArmed)
            m_longPressTimer.start(UiTiming::ms(kLongPressMs));
        return true;
    }
    case QEvent::MouseMove: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (m_stagePressed && (mouse->position().toPoint() - m_pressPoint).manhattanLength()
                                  > QApplication::startDragDistance())
            m_longPressTimer.stop();
        return true;
    }
    case QEvent::MouseButtonRelease: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        const bool mayClick = m_stagePressed && m_pressMayClick;
        m_stagePressed = false;
        m_pressMayClick = false;
        m_longPressTimer.stop();
        if (mayClick && m_tapEnabled && mouse->button() == Qt::LeftButton
            && m_lottleAnimationView->rect().contains(mouse->position().toPoint()))
            handleStartClick();
        return true;
    }
    default:
        return QWidget::eventFilter(watched, event);
    }
}
