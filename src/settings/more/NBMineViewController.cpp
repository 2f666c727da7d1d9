#include "settings/more/NBMineViewController.h"

#include <QJsonArray>
#include <QLabel>
#include <QPointer>
#include <QScrollArea>
#include <QScrollBar>
#include <QUrl>

#include "app/NBLeftSideViewController.h"
#include "app/NBMainSplitViewController.h"
#include "uikit/NBBaseView.h"
#include "uikit/NBControllerView.h"
#include "uikit/NBDisableButton.h"
#include "uikit/NBPresentationAnimator.h"
#include "uikit/ScreenFactory.h"
#include "common/DefaultsKeys.h"
#include "common/JsonUtils.h"
#include "common/MKUserInfoManager.h"
#include "common/MKUserTable.h"
#include "common/NotificationCenter.h"
#include "common/NotificationNames.h"
#include "common/UserDefaults.h"
#include "home/NBToggleTunTipView.h"
#include "networking/OONetWorkTool.h"
#include "networking/XSAnalyticsManager.h"
#include "settings/more/NBMineHeaderView.h"
#include "settings/more/NBMineItemView.h"
#include "settings/more/NBMineSwitchItemView.h"
#include "settings/more/NBSettingViewController.h"
#include "vpn/HLLPACUtilWrapper.h"
#include "web/DesktopLinkOpener.h"

const QString NBMineViewController::kNewMessageText = QStringLiteral("您有一个新的消息");

namespace {

constexpr int kHeaderHeight = 128;
constexpr int kRowHeight = 51;

QString eventForType(qint64 type)
{
    switch (type) {
    case NBMineViewController::messageRow: return QStringLiteral("morePage_message_click");
    case NBMineViewController::discoverRow: return QStringLiteral("morePage_discover_click");
    case NBMineViewController::inviteRow: return QStringLiteral("morePage_invite_click");
    case NBMineViewController::freeRow: return QStringLiteral("morePage_freeVIP_click");
    default: return QString();
    }
}

std::optional<qint64> wholeNumber(const QJsonValue &value)
{
    if (!value.isDouble() || value.toDouble() != double(value.toInteger()))
        return std::nullopt;
    return value.toInteger();
}

} // namespace

NBMineViewController::NBMineViewController(QWidget *parent)
    : NBBaseViewController(parent)
{
    resize(NBControllerView::contentSize());
}

QList<QJsonObject> NBMineViewController::itemDefinitions()
{
    const UserDefaults &defaults = UserDefaults::standard();
    auto row = [](const QString &title, std::optional<QString> subTitle, const QString &icon, qint64 type) {
        QJsonObject json{{QStringLiteral("title"), title}, {QStringLiteral("icon"), icon}, {QStringLiteral("type"), type}};
        if (subTitle)
            json.insert(QStringLiteral("subTitle"), *subTitle);
        return json;
    };
    QJsonObject killSwitch = row(QStringLiteral("安全锁"), QStringLiteral("连接异常时会自动中断互联网，防止信息泄露。"),
                                 QStringLiteral("icon_switch"), killSwitchRow);
    killSwitch.insert(QStringLiteral("selected"), defaults.boolForKey(DefaultsKeys::kKillSwitchStateKey));
    QJsonObject tun = row(QStringLiteral("Tun"), QStringLiteral("启用后，所有流量都将是代理流量。"), QStringLiteral("icon_tun"), tunRow);
    tun.insert(QStringLiteral("selected"), defaults.boolForKey(DefaultsKeys::kTunStateKey));
    return {
        row(QStringLiteral("消息中心"), QString(), QStringLiteral("icon_mess"), messageRow),
        row(QStringLiteral("发现"), std::nullopt, QStringLiteral("icon_discover"), discoverRow),
        row(QStringLiteral("邀请好友"), std::nullopt, QStringLiteral("icon_invite"), inviteRow),
        row(QStringLiteral("免费领取会员"), QStringLiteral("抽奖领会员"), QStringLiteral("icon_free"), freeRow),
        killSwitch,
        tun,
        row(QStringLiteral("软件防丢失"), std::nullopt, QStringLiteral("icon_diushi"), retrieveRow),
        row(QStringLiteral("意见反馈"), QString(), QStringLiteral("icon_feedback"), feedbackRow),
        row(QStringLiteral("关于我们"), std::nullopt, QStringLiteral("icon_fank"), aboutRow),
    };
}

QString NBMineViewController::screenNameForType(qint64 type)
{
    switch (type) {
    case messageRow: return QStringLiteral("NBMessageViewController");
    case discoverRow: return QStringLiteral("NBDiscoverViewController");
    case inviteRow: return QStringLiteral("NBInviteViewController");
    case freeRow: return QStringLiteral("NBFreeViewController");
    case retrieveRow: return QStringLiteral("NBRetrieveViewController");
    case feedbackRow: return QStringLiteral("NBFeedbackListViewController");
    case aboutRow: return QStringLiteral("NBAboutViewController");
    default: return QString();
    }
}

void NBMineViewController::viewDidLoad()
{
    NBBaseViewController::viewDidLoad();
    setupItems();
}

void NBMineViewController::setupItems()
{
    m_scrollView = new QScrollArea(this);
    m_scrollView->setFrameShape(QFrame::NoFrame);
    m_scrollView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scrollView->setStyleSheet(QStringLiteral("QScrollArea { background: transparent; }"
                                               "QScrollBar:vertical { background: transparent; width: 6px; }"
                                               "QScrollBar::handle:vertical { background: rgb(60,60,60); border-radius: 3px; }"
                                               "QScrollBar::add-line, QScrollBar::sub-line { height: 0; }"));
    m_scrollView->setGeometry(rect());
    m_contentView = new QWidget;
    m_contentView->setObjectName(QStringLiteral("mineContent"));
    m_contentView->setAttribute(Qt::WA_StyledBackground);
    m_contentView->setStyleSheet(QStringLiteral("#mineContent { background: rgb(22,22,22); }"));
    const int width = NBControllerView::contentSize().width();
    m_headerView = new NBMineHeaderView(m_contentView);
    m_headerView->setGeometry(0, 0, width, kHeaderHeight);
    m_headerView->updateUserInfo(MKUserInfoManager::shared().currentUser());

    for (const QJsonObject &definition : itemDefinitions()) {
        if (const std::optional<NBMineModel> model = NBMineModel::fromJson(definition))
            m_models.append(*model);
    }
    int y = kHeaderHeight;
    for (const NBMineModel &model : std::as_const(m_models)) {
        NBMineItemView *row = nullptr;
        if (model.type == killSwitchRow || model.type == tunRow) {
            auto *switchRow = new NBMineSwitchItemView(m_contentView);
            QPointer<NBMineViewController> self(this);
            const bool kill = model.type == killSwitchRow;
            switchRow->switchBlock = [self, kill](bool on) {
                if (!self)
                    return;
                kill ? self->killSwitchChanged(on) : self->tunSwitchChanged(on);
            };
            row = switchRow;
        } else {
            row = new NBMineItemView(m_contentView);
        }
        row->configure(model);
        connect(row, &NBMineItemView::activated, this, &NBMineViewController::openItem);
        row->setGeometry(56, y, width - 56 - 44, kRowHeight);
        y += kRowHeight;
        m_items.append(row);
    }
    m_contentView->resize(width, std::max(NBControllerView::contentSize().height(), y));
    m_scrollView->setWidget(m_contentView);
    m_scrollView->verticalScrollBar()->setValue(0);
}

NBMineItemView *NBMineViewController::itemOfType(qint64 type) const
{
    for (int i = 0; i < m_models.size() && i < m_items.size(); ++i) {
        if (m_models.at(i).type == type)
            return m_items.at(i);
    }
    return nullptr;
}

void NBMineViewController::viewWillAppear()
{
    NBBaseViewController::viewWillAppear();
    readSwitches();
}

void NBMineViewController::readSwitches()
{
    // The left menu can switch TUN too; the page shows what is stored, not what it last set.
    const UserDefaults &defaults = UserDefaults::standard();
    for (int i = 0; i < m_models.size() && i < m_items.size(); ++i) {
        NBMineModel &model = m_models[i];
        const QString key = model.type == killSwitchRow ? DefaultsKeys::kKillSwitchStateKey
                          : model.type == tunRow        ? DefaultsKeys::kTunStateKey
                                                        : QString();
        if (key.isEmpty())
            continue;
        model.selected = defaults.boolForKey(key);
        if (auto *row = qobject_cast<NBMineSwitchItemView *>(m_items.at(i)))
            row->setOn(*model.selected);
    }
}

void NBMineViewController::viewDidAppear()
{
    NBBaseViewController::viewDidAppear();
    requestAccountInfo();
    requestUnreadMessages();
    requestAdvertisements();
    NotificationCenter::defaultCenter().post(NotificationNames::kRefreshMessageData);
}

void NBMineViewController::requestAccountInfo()
{
    const quint64 request = m_accounts.ask();
    QPointer<NBMineViewController> self(this);
    OONetWorkTool::accountInfo([self, request](std::optional<QJsonObject> data, std::optional<NetError> error) {
        if (self)
            self->handleAccountInfo(data, error.has_value(), request);
    });
}

void NBMineViewController::handleAccountInfo(const std::optional<QJsonObject> &data, bool failed, quint64 request)
{
    request = m_accounts.numbered(request);
    if (failed || !data || m_accounts.stale(request))
        return;
    m_accounts.taken(request);
    MKUserInfoManager::shared().storeRefreshedAccount(*data);
    m_headerView->updateUserInfo(HHUserInfo::fromJson(*data));
}

void NBMineViewController::requestUnreadMessages()
{
    const quint64 request = m_unreadCounts.ask();
    QPointer<NBMineViewController> self(this);
    OONetWorkTool::unreadMessages([self, request](OONetWorkTool::Reply response, OONetWorkTool::Error error) {
        OONetWorkTool::parseResponse(response, error, [self, request](std::optional<QJsonObject> reply, std::optional<QString>) {
            if (self)
                self->handleUnreadMessages(reply, request);
        });
    });
}

void NBMineViewController::handleUnreadMessages(const std::optional<QJsonObject> &response, quint64 request)
{
    request = m_unreadCounts.numbered(request);
    if (!response || m_unreadCounts.stale(request))
        return;
    const QJsonValue data = response->value(QStringLiteral("data"));
    if (!data.isObject())
        return;
    const QJsonObject counts = data.toObject();
    const std::optional<qint64> active = wholeNumber(counts.value(QStringLiteral("active_message")));
    const std::optional<qint64> feedback = wholeNumber(counts.value(QStringLiteral("feedback_message")));
    const std::optional<qint64> system = wholeNumber(counts.value(QStringLiteral("system_message")));
    if (!active || !feedback || !system)
        return;
    m_unreadCounts.taken(request);
    setRowDot(messageRow, *active + *system >= 1);
    setRowDot(feedbackRow, *feedback >= 1);
}

void NBMineViewController::setRowDot(qint64 type, bool dot)
{
    for (int i = 0; i < m_models.size() && i < m_items.size(); ++i) {
        NBMineModel &model = m_models[i];
        if (model.type != type)
            continue;
        model.hadRedDot = dot;
        model.subTitle = dot ? kNewMessageText : QString();
        m_items.at(i)->configure(model);
    }
}

void NBMineViewController::requestAdvertisements()
{
    const quint64 request = m_banners.ask();
    QPointer<NBMineViewController> self(this);
    OONetWorkTool::advertisements(6, [self, request](std::optional<QJsonObject> reply, std::optional<QString>) {
        if (self)
            self->handleAdvertisements(reply, request);
    });
}

void NBMineViewController::handleAdvertisements(const std::optional<QJsonObject> &response, quint64 request)
{
    request = m_banners.numbered(request);
    if (!response || m_banners.stale(request))
        return;
    const QJsonArray pages = response->value(QStringLiteral("data")).toObject().value(QStringLiteral("page_datas")).toArray();
    for (const QJsonValue &page : pages) {
        if (!page.isObject())
            continue;
        if (const std::optional<HHAdModel> model = HHAdModel::fromJson(page.toObject())) {
            m_banners.taken(request);
            m_headerView->showAd(*model);
            return;
        }
    }
}

void NBMineViewController::killSwitchChanged(bool on)
{
    HLLPACUtilWrapper::setKillSwitch(on);
}

void NBMineViewController::tunSwitchChanged(bool on)
{
    for (NBMineModel &model : m_models) {
        if (model.type == tunRow)
            model.selected = on;
    }
    UserDefaults &defaults = UserDefaults::standard();
    defaults.setBool(DefaultsKeys::kTunStateKey, on);
    defaults.synchronizeOrLog("TUN switch");
    // A running connection keeps its mode; the new one applies at the next connect.
    if (!defaults.boolForKey(DefaultsKeys::ShadowsocksOn))
        return;
    auto tip = std::make_unique<NBToggleTunTipView>();
    tip->resize(800, 500);
    tip->titleLabel()->setText(QStringLiteral("系统提示"));
    tip->tipsLabel()->setText(QStringLiteral("切换模式后需重新连接才会生效"));
    tip->confirmButton()->setText(QStringLiteral("确定"));
    NBBaseView::show(std::move(tip));
}

void NBMineViewController::openItem(NBMineItemView *row)
{
    if (!row || !row->type())
        return;
    const qint64 type = *row->type();
    const QString name = screenNameForType(type);
    if (name.isEmpty())
        return;
    presentByName(name);
    const QString event = eventForType(type);
    if (!event.isEmpty())
        XSAnalyticsManager::shared().track(event);
}

NBBaseViewController *NBMineViewController::presentByName(const QString &name)
{
    std::unique_ptr<NBBaseViewController> screen(ScreenFactory::instance().make(name, nullptr));
    if (!screen)
        return nullptr;
    screen->setGeometry(rect());
    auto *animator = new NBPresentationAnimator(screen.get(), this);
    return presentViewController(std::move(screen), animator);
}

void NBMineViewController::handleInfoClick()
{
    presentViewControllerAsSheet(std::make_unique<NBSettingViewController>());
    XSAnalyticsManager::shared().track(QStringLiteral("morePage_account_click"));
}

void NBMineViewController::switchSplit(bool toUpgrade)
{
    NBMainSplitViewController *split = NBMainSplitViewController::current();
    if (!split || !split->leftSide())
        return;
    NBLeftSideViewController *left = split->leftSide();
    left->selectItem(toUpgrade ? left->upgradeItem() : left->homeItem());
    split->switchContent(toUpgrade ? NBLeftMenuType::upgrade : NBLeftMenuType::home);
}

void NBMineViewController::handleAdClick(const HHAdModel &model)
{
    const std::optional<QJsonObject> link = JsonUtils::jsonObjectFromString(model.linkUrl.value_or(QString()));
    if (!link || !link->value(QStringLiteral("type")).isString())
        return;
    const QString type = link->value(QStringLiteral("type")).toString();
    if (type == QLatin1String("buy")) {
        switchSplit(true);
    } else if (type == QLatin1String("home")) {
        switchSplit(false);
    } else if (type == QLatin1String("newsList")) {
        presentByName(screenNameForType(messageRow));
    } else if (type == QLatin1String("lottery")) {
        presentByName(screenNameForType(freeRow));
    } else if (type == QLatin1String("outer")) {
        const QJsonValue value = link->value(QStringLiteral("value"));
        const QUrl url(value.toString(), QUrl::StrictMode);
        // Server links reach the desktop only as http, https or mailto (the opener refuses the rest).
        if (value.isString() && url.isValid() && !url.scheme().isEmpty())
            DesktopLinkOpener::open(url);
    }
}
