#include "home/NBHomeViewController.h"

#include <QElapsedTimer>
#include <QEvent>
#include <QJsonArray>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>

#include "app/NBLeftSideViewController.h"
#include "app/NBMainSplitViewController.h"
#include "uikit/NBBaseView.h"
#include "uikit/NBControllerView.h"
#include "uikit/NSFontHelper.h"
#include "uikit/NBPresentationAnimator.h"
#include "uikit/OOToastView.h"
#include "uikit/ScreenFactory.h"
#include "uikit/WindowInUse.h"
#include "common/DefaultsKeys.h"
#include "common/FirstFrameGate.h"
#include "common/JsonUtils.h"
#include "common/Localization.h"
#include "common/Logger.h"
#include "common/NotificationCenter.h"
#include "common/NotificationNames.h"
#include "common/UserDefaults.h"
#include "home/HomeAppearanceChain.h"
#include "home/NBHomeLineListView.h"
#include "home/NBNewHomeContentView.h"
#include "home/NBSelectLineView.h"
#include "home/NBTimeScheduView.h"
#include "home/NoticePopupPresenter.h"
#include "home/UserNotifier.h"
#include "networking/XSAnalyticsManager.h"
#include "upgrade/HomeUpgradeCheck.h"
#include "vpn/HomeConnectController.h"
#include "vpn/ProxyMode.h"

namespace {

constexpr int kSelectWidth = 340;
constexpr int kSelectHeight = 91;
constexpr int kSelectBottom = 41;
const char *const kKillSwitchBody = "您的连接异常，Kill Switch正在保护您的隐私，如果需要恢复网络请断开连接。";

double monotonicSeconds()
{
    static QElapsedTimer timer = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return timer.nsecsElapsed() / 1e9;
}

// Markers of a healthy engine; the engine reports them through the same channel as its alarms.
bool isSuccessMarker(const QVariantMap &userInfo)
{
    return userInfo.value(QStringLiteral("startSuccess")).toBool()
           || userInfo.value(QStringLiteral("cmdDes")).toString() == QStringLiteral("VPN连接成功");
}

} // namespace

NBHomeViewController::NBHomeViewController(QWidget *parent)
    : NBBaseViewController(parent)
    , m_monotonicSeconds(monotonicSeconds)
{
    m_connectController = new HomeConnectController(*this, this, ConnectClock::system(),
                                                    HomeConnectController::Services::real());
    m_noticeChain = new NoticeChain(this);
    m_noticeChain->setPresenter(NoticePopupPresenter::present(this));
    m_upgradeCheck = new HomeUpgradeCheck(this);
    HomeAppearanceChain::Hooks hooks = HomeAppearanceChain::defaultHooks();
    QPointer<HomeUpgradeCheck> upgradeCheck(m_upgradeCheck);
    hooks.checkUpdate = [upgradeCheck] {
        if (upgradeCheck)
            upgradeCheck->requestNeedUpdate();
    };
    m_appearanceChain = new HomeAppearanceChain(*m_noticeChain, this, std::move(hooks));
    // A closed upgrade dialog (or no offer) goes on with the whole account chain.
    QPointer<HomeAppearanceChain> chain(m_appearanceChain);
    m_upgradeCheck->setAccountRefresh([chain] {
        if (chain)
            chain->requestUserInfo();
    });
    m_appearanceChain->onNodeList = [this](const std::optional<QString> &text, const std::optional<NetError> &error) {
        return handleNodeList(text, error);
    };
    resize(NBControllerView::contentSize());
}

NBHomeViewController::~NBHomeViewController() = default;

void NBHomeViewController::viewDidLoad()
{
    NBBaseViewController::viewDidLoad();
    setupViews();
    addObservers();
}

void NBHomeViewController::setupViews()
{
    m_homeBackView = new NBNewHomeContentView(this);
    m_homeBackView->setDelegate(this);
    m_homeBackView->setGeometry(rect());

    m_selectView = new NBSelectLineView(this);
    QPointer<NBHomeViewController> self(this);
    m_selectView->tapActionBlock = [self] {
        if (self)
            self->showLineList();
    };

    // Made as the selector's neighbour but never put on screen: nothing shows a connection's
    // running time. Off-screen, so that starting it could not open a window of its own either.
    m_timeScheduView = std::make_unique<NBTimeScheduView>();
    m_timeScheduView->setAttribute(Qt::WA_DontShowOnScreen);
    m_timeScheduView->hide();

    chosenLineChanged();

    m_homeBackView->setUpgradeView(m_upgradeCheck->upgradeView(m_homeBackView->contentCircleView()));
    resizeEvent(nullptr);
}

void NBHomeViewController::resizeEvent(QResizeEvent *event)
{
    if (event)
        NBBaseViewController::resizeEvent(event);
    if (!m_homeBackView)
        return;
    m_homeBackView->setGeometry(rect());
    m_selectView->setGeometry((width() - kSelectWidth) / 2, height() - kSelectBottom - kSelectHeight, kSelectWidth, kSelectHeight);
}

bool NBHomeViewController::eventFilter(QObject *watched, QEvent *event)
{
    return NBBaseViewController::eventFilter(watched, event);
}

void NBHomeViewController::updateSelector(const std::optional<OOHomeNodeModel> &line)
{
    m_selectView->update(line);
}

void NBHomeViewController::chosenLineChanged()
{
    std::optional<OOHomeNodeModel> line = m_connectController->cachedLine();
    if (line)
        line->isGlobel = isProxyModeOn();
    updateSelector(line);
}

void NBHomeViewController::addObservers()
{
    connect(m_connectController, &HomeConnectController::chosenLineChanged, this,
            &NBHomeViewController::chosenLineChanged);
    NotificationCenter &center = NotificationCenter::defaultCenter();
    const auto main = NotificationCenter::Delivery::MainThread;
    // Every observer belongs to this screen: a rebuilt split view leaves no old home answering.
    center.addObserver(NotificationNames::VPNStop, this, [this](const Notification &) { stopConnect(); }, main);
    center.addObserver(NotificationNames::ServerCMD, this,
                       [this](const Notification &n) { serverCommandReceived(n.userInfo); }, main);
    center.addObserver(NotificationNames::PrivoxyStartSucceed, this, [](const Notification &n) {
        const QVariant status = n.userInfo.value(QStringLiteral("status"));
        if (status.typeId() != QMetaType::Bool)
            return;
        UserDefaults::standard().setBool(DefaultsKeys::kProxyConnectionState, status.toBool());
        UserDefaults::standard().synchronizeOrLog("the proxy's connection state");
    }, main);
    // "preUpgradeDownloadSucceed" and "updateCloseTaped" are the upgrade check's, a child of this.
}

void NBHomeViewController::viewWillAppear()
{
    NBBaseViewController::viewWillAppear();
    // The first appearance comes before the window's first frame: the requests wait for it.
    QPointer<HomeAppearanceChain> chain(m_appearanceChain);
    FirstFrameGate::defer(this, [chain] {
        if (chain)
            chain->run();
    });
}

void NBHomeViewController::viewDidAppear()
{
    NBBaseViewController::viewDidAppear();
    if (!UserDefaults::standard().boolForKey(DefaultsKeys::kProxyConnected))
        return;
    // "kProxyConnected" is set before the engine runs: only a paused area with the engine up
    // turns to running here; loading and the kill-switch look stay as they are.
    if (m_homeBackView->state() != NBConnectAreaState::paused
        || !UserDefaults::standard().boolForKey(DefaultsKeys::ShadowsocksOn))
        return;
    OSTREL_LOG(Logger::Debug, QStringLiteral("运行中"));
    showRunning();
}

QString NBHomeViewController::displayName(const QString &serverName)
{
    const QStringList parts = serverName.split(QLatin1Char('_'), Qt::SkipEmptyParts);
    if (parts.size() >= 2)
        return parts.at(1);
    // "Tokyo" and "_Tokyo" keep their one part rather than showing no name.
    return parts.isEmpty() ? QString() : parts.first();
}

bool NBHomeViewController::handleNodeList(const std::optional<QString> &text, const std::optional<NetError> &error)
{
    if (error || !text)
        return false;
    const std::optional<QJsonObject> object = JsonUtils::jsonObjectFromString(*text);
    if (!object)
        return false;
    const QJsonValue datas = object->value(QStringLiteral("page_datas"));
    if (!datas.isArray())
        return false;
    QList<OOHomeNodeModel> lines;
    for (const QJsonValue &record : datas.toArray()) {
        if (!record.isObject())
            return false;
        OOHomeNodeModel line = OOHomeNodeModel::fromJson(record.toObject());
        line.name = displayName(line.name);
        lines.append(line);
    }
    m_showList = lines;
    m_connectController->setShowList(lines);
    // No view is reloaded: with nothing stored the bar keeps "Best line" (the popup's first row,
    // the line the next connect takes) until the user chooses; the popup reads the list when it opens.
    return true;
}

NBHomeLineListView *NBHomeViewController::lineListView() const
{
    return m_lineListView;
}

void NBHomeViewController::showLineList()
{
    if (m_lineListView && m_lineListView->isVisible())
        return;   // one popup at a time: a second click lands on the open one
    auto popup = std::make_unique<NBHomeLineListView>();
    popup->setDelegate(this);
    popup->setShowList(m_showList);
    popup->reloadLines();
    // Laid over the window in use, which then owns it; without one it is not shown.
    m_lineListView = NBBaseView::show(std::move(popup));
}

void NBHomeViewController::lineDidChange(const OOHomeNodeModel &line)
{
    updateSelector(line);
    m_connectController->lineDidChange();
}

void NBHomeViewController::startConnect()
{
    m_connectController->startConnect();
}

void NBHomeViewController::stopConnect()
{
    m_connectController->stopConnect();
}

void NBHomeViewController::stopProxy(bool toast, std::function<void()> completion)
{
    m_connectController->stopProxy(toast, std::move(completion));
}

void NBHomeViewController::serverCommandReceived(const QVariantMap &userInfo)
{
    const QVariant cmd = userInfo.value(QStringLiteral("cmd"));
    bool ok = false;
    const int code = cmd.toInt(&ok);
    if (!cmd.isValid() || !ok || cmd.typeId() == QMetaType::QString)
        return;
    if (code < 0 || code > 7 || isSuccessMarker(userInfo))
        return;
    QPointer<NBHomeViewController> self(this);
    QMetaObject::invokeMethod(this, [self] {
        if (self)
            self->killSwitchAlert();
    }, Qt::QueuedConnection);
}

void NBHomeViewController::killSwitchAlert()
{
    UserDefaults &defaults = UserDefaults::standard();
    if (!defaults.boolForKey(DefaultsKeys::kKillSwitchStateKey))
        return;
    // Without a connection there is nothing to protect, and a long press could not leave the look.
    if (!defaults.boolForKey(DefaultsKeys::ShadowsocksOn))
        return;
    const double now = m_monotonicSeconds();
    if (m_lastAlert && now - *m_lastAlert < kKillSwitchAlertIntervalSeconds)
        return;
    m_lastAlert = now;
    m_homeBackView->updateState(NBConnectAreaState::killSwitch);
    UserNotifier::shared().notify(QStringLiteral("翠鸟通行器Pro"), localizedByAppLanguage(QString::fromUtf8(kKillSwitchBody)));
}

void NBHomeViewController::handleJumpAction(const QString &action)
{
    if (action == QLatin1String("linkBuy")) {
        switchSplitContent(int(NBLeftMenuType::upgrade));
    } else if (action == QLatin1String("my")) {
        switchSplitContent(int(NBLeftMenuType::account));
    } else if (action == QLatin1String("newsList")) {
        presentByName(QStringLiteral("NBMessageViewController"));
    } else if (action == QLatin1String("lotteryPage") || action == QLatin1String("lottery")) {
        presentByName(QStringLiteral("NBFreeViewController"));
    }
}

void NBHomeViewController::switchSplitContent(int menuType)
{
    NBMainSplitViewController *split = NBMainSplitViewController::current();
    if (!split || !split->leftSide())
        return;
    NBLeftSideViewController *left = split->leftSide();
    const auto type = NBLeftMenuType(menuType);
    left->selectItem(type == NBLeftMenuType::upgrade ? left->upgradeItem() : left->accountItem());
    split->switchContent(type);
}

void NBHomeViewController::presentByName(const QString &name)
{
    std::unique_ptr<NBBaseViewController> screen(ScreenFactory::instance().make(name, nullptr));
    if (!screen)
        return;
    screen->setGeometry(rect());
    auto *animator = new NBPresentationAnimator(screen.get(), this);
    presentViewController(std::move(screen), animator);
}

void NBHomeViewController::changeLine()
{
    OSTREL_LOG(Logger::Debug, QStringLiteral("切换线路"));
    showLoading();
}

void NBHomeViewController::setNoticePresenter(NoticeChain::Presenter presenter)
{
    m_noticeChain->setPresenter(std::move(presenter));
}

// --- looks --------------------------------------------------------------------------------

void NBHomeViewController::showLoading()
{
    ensureLoaded();
    m_homeBackView->updateState(NBConnectAreaState::loading);
}

void NBHomeViewController::showPausing()
{
    ensureLoaded();
    m_homeBackView->updateState(NBConnectAreaState::pausing);
}

void NBHomeViewController::showRunning()
{
    ensureLoaded();
    m_homeBackView->updateState(NBConnectAreaState::running);
}

void NBHomeViewController::showStopped()
{
    ensureLoaded();
    m_homeBackView->updateState(NBConnectAreaState::paused);
}

void NBHomeViewController::showKillSwitch()
{
    ensureLoaded();
    m_homeBackView->updateState(NBConnectAreaState::killSwitch);
}

void NBHomeViewController::showErrorToast(const QString &text)
{
    ::showErrorToast(this, text);
}

void NBHomeViewController::showSuccessToast(const QString &text)
{
    ::showSuccessToast(this, text);
}

void NBHomeViewController::openUpgradePage()
{
    switchSplitContent(int(NBLeftMenuType::upgrade));
}

void NBHomeViewController::presentFreePage()
{
    presentByName(QStringLiteral("NBFreeViewController"));
}

void NBHomeViewController::updateConnectedTime(bool running)
{
    ensureLoaded();
    m_timeScheduView->updateConnectedTime(running);
}
