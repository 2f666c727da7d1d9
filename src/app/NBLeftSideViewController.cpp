#include "app/NBLeftSideViewController.h"

#include <QLabel>
#include <QPainter>

#include "app/NBLeftSideView.h"
#include "app/NBTunStateView.h"
#include "uikit/NSFontHelper.h"
#include "uikit/UiImages.h"
#include "common/DefaultsKeys.h"
#include "common/FirstFrameGate.h"
#include "common/JsonUtils.h"
#include "common/Localization.h"
#include "common/NotificationCenter.h"
#include "common/NotificationNames.h"
#include "common/OOAppinfoHelper.h"
#include "common/UserDefaults.h"
#include "networking/OONetWorkTool.h"
#include "networking/XSAnalyticsManager.h"
#include "uikit/PlainText.h"

namespace {

const QColor kBackground(52, 52, 52);
const QColor kRowNormal(137, 131, 123);
const QColor kRowSelected(172, 157, 139);
const QColor kExtraNormal(85, 103, 136);
const QColor kExtraSelected(75, 173, 208);
constexpr int kRowHeight = 50;
constexpr int kRowGap = 24;
// The home and account rows are 30 wide; the membership row, with its crown, 62.
constexpr int kRowInset = 21;
constexpr int kUpgradeRowInset = 5;

void requestUnreadFromService(std::function<void(std::optional<QJsonObject>)> done)
{
    OONetWorkTool::unreadMessages([done](std::optional<QJsonObject> reply, std::optional<NetError> error) {
        done(error ? std::nullopt : reply);
    });
}

} // namespace

NBLeftSideViewController::NBLeftSideViewController(QWidget *parent)
    : NBBaseViewController(parent)
    , m_tracker([](const QString &event) { XSAnalyticsManager::shared().track(event); })
    , m_unreadRequester(requestUnreadFromService)
{
    setFixedWidth(kWidth);
}

NBLeftSideViewController::~NBLeftSideViewController()
{
    NotificationCenter::defaultCenter().removeObservers(this);
}

void NBLeftSideViewController::viewDidLoad()
{
    NBBaseViewController::viewDidLoad();
    buildView();
    // The first answer can wait for the first frame; the request is the same.
    QPointer<NBLeftSideViewController> self(this);
    FirstFrameGate::defer(this, [self] {
        if (self)
            self->requestUnreadMessage();
    });
    observeNotifications();
}

void NBLeftSideViewController::buildView()
{
    m_iconImageView = new QLabel(this);
    m_iconImageView->setFixedSize(31, 38);
    m_iconImageView->setPixmap(UiImages::pixmap(QStringLiteral("icon"), QSize(31, 38), devicePixelRatioF()));
    homeItem();
    upgradeItem();
    accountItem();
    tunItem();

    m_preButton = homeItem();
    m_preButton->setSelect(true);

    m_versionLabel = PlainText::label(this);
    m_versionLabel->setFont(NSFontHelper::getRegularPingFangFont(10));
    m_versionLabel->setAlignment(Qt::AlignCenter);
    QPalette palette = m_versionLabel->palette();
    palette.setColor(QPalette::WindowText, kRowNormal);
    m_versionLabel->setPalette(palette);
    m_versionLabel->setText(OOAppinfoHelper::getAppVersion() + QLatin1Char('(') + OOAppinfoHelper::getBuildVersion()
                            + QLatin1Char(')'));
    layoutRows();
}

NBLeftSideView *NBLeftSideViewController::makeRow(const QString &title, const QString &image, const QColor &normal,
                                                  const QColor &selected, void (NBLeftSideViewController::*action)())
{
    auto *row = new NBLeftSideView(this);
    row->configure(title, image, image + QLatin1Char('+'), normal, selected);
    connect(row, &NBLeftSideView::clicked, this, action);
    row->show();
    return row;
}

NBLeftSideView *NBLeftSideViewController::homeItem()
{
    if (!m_homeItem)
        m_homeItem = makeRow(localizedByAppLanguage(QStringLiteral("HOME_TITLE")), QStringLiteral("home"), kRowNormal,
                             kRowSelected, &NBLeftSideViewController::homeActioon);
    return m_homeItem;
}

NBLeftSideView *NBLeftSideViewController::accountItem()
{
    if (!m_accountItem)
        m_accountItem = makeRow(localizedByAppLanguage(QStringLiteral("ACCOUNT_TITLE")), QStringLiteral("account"),
                                kRowNormal, kRowSelected, &NBLeftSideViewController::accountAction);
    return m_accountItem;
}

NBLeftSideView *NBLeftSideViewController::upgradeItem()
{
    if (!m_upgradeItem)
        m_upgradeItem = makeRow(QStringLiteral("会员"), QStringLiteral("upgrade"), kRowNormal, kRowSelected,
                                &NBLeftSideViewController::upgradeAction);
    return m_upgradeItem;
}

NBLeftSideView *NBLeftSideViewController::contactUsItem()
{
    if (!m_contactUsItem) {
        m_contactUsItem = makeRow(localizedByAppLanguage(QStringLiteral("SETTING_CONTACTUS_TITLE")),
                                  QStringLiteral("ContactUS"), kExtraNormal, kExtraSelected,
                                  &NBLeftSideViewController::cantactAction);
        m_contactUsItem->hide();
    }
    return m_contactUsItem;
}

NBLeftSideView *NBLeftSideViewController::aboutItem()
{
    if (!m_aboutItem) {
        m_aboutItem = makeRow(localizedByAppLanguage(QStringLiteral("ABOUT_TITLE")), QStringLiteral("about"),
                              kExtraNormal, kExtraSelected, &NBLeftSideViewController::aboutAction);
        m_aboutItem->hide();
    }
    return m_aboutItem;
}

NBTunStateView *NBLeftSideViewController::tunItem()
{
    if (!m_tunItem) {
        m_tunItem = new NBTunStateView(this);
        const UserDefaults &defaults = UserDefaults::standard();
        m_tunItem->setIsSelect(defaults.boolForKey(DefaultsKeys::kTunStateKey)
                               && defaults.boolForKey(DefaultsKeys::ShadowsocksOn));
        m_tunItem->show();
    }
    return m_tunItem;
}

void NBLeftSideViewController::layoutRows()
{
    if (!m_iconImageView)
        return;
    m_iconImageView->move((width() - m_iconImageView->width()) / 2, 56);
    const int homeTop = 143;
    m_homeItem->setGeometry(kRowInset, homeTop, width() - 2 * kRowInset, kRowHeight);
    const int upgradeTop = homeTop + kRowHeight + kRowGap;
    m_upgradeItem->setGeometry(kUpgradeRowInset, upgradeTop, width() - 2 * kUpgradeRowInset, kRowHeight);
    const int accountTop = upgradeTop + kRowHeight + kRowGap;
    m_accountItem->setGeometry(kRowInset, accountTop, width() - 2 * kRowInset, kRowHeight);
    const int tunTop = accountTop + kRowHeight + kRowGap;
    m_tunItem->setGeometry((width() - 25) / 2, tunTop, 25, kRowHeight);
    const int versionHeight = m_versionLabel->sizeHint().height();
    m_versionLabel->setGeometry(0, height() - versionHeight - 16, width(), versionHeight);
}

void NBLeftSideViewController::resizeEvent(QResizeEvent *event)
{
    NBBaseViewController::resizeEvent(event);
    layoutRows();
}

void NBLeftSideViewController::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), kBackground);
}

void NBLeftSideViewController::observeNotifications()
{
    QPointer<NBLeftSideViewController> self(this);
    NotificationCenter &center = NotificationCenter::defaultCenter();
    center.addObserver(NotificationNames::kRefreshMessageData, this, [self](const Notification &) {
        if (self)
            self->requestUnreadMessage();
    }, NotificationCenter::Delivery::MainThread);
    center.addObserver(NotificationNames::kTunStateChange, this, [self](const Notification &) {
        if (self)
            self->refreshTunState();
    }, NotificationCenter::Delivery::MainThread);
}

void NBLeftSideViewController::selectItem(NBLeftSideView *item)
{
    if (!item || item == m_preButton)
        return;
    if (m_preButton)
        m_preButton->setSelect(false);
    item->setSelect(true);
    m_preButton = item;
    if (selectBlock)
        selectBlock(menuType(item));
}

void NBLeftSideViewController::clearHighlight()
{
    if (m_preButton)
        m_preButton->setSelect(false);
    m_preButton = nullptr;
}

NBLeftMenuType NBLeftSideViewController::menuType(const NBLeftSideView *item) const
{
    if (item && item == m_homeItem)
        return NBLeftMenuType::home;
    if (item && item == m_accountItem)
        return NBLeftMenuType::account;
    if (item && item == m_upgradeItem)
        return NBLeftMenuType::upgrade;
    if (item && item == m_contactUsItem)
        return NBLeftMenuType::contact;
    return NBLeftMenuType::about;
}

void NBLeftSideViewController::homeActioon()
{
    selectItem(homeItem());
}

void NBLeftSideViewController::accountAction()
{
    selectItem(accountItem());
}

void NBLeftSideViewController::upgradeAction()
{
    selectItem(upgradeItem());
    requestUnreadMessage();
    if (m_tracker)
        m_tracker(QStringLiteral("homePage_crown_click"));
}

void NBLeftSideViewController::cantactAction()
{
    selectItem(contactUsItem());
}

void NBLeftSideViewController::aboutAction()
{
    selectItem(aboutItem());
}

void NBLeftSideViewController::homeNewAction()
{
    homeItem()->setSelect(true);
}

std::optional<bool> NBLeftSideViewController::unreadDotVisible(const std::optional<QJsonObject> &reply)
{
    if (!reply || reply->isEmpty())
        return std::nullopt;
    const QJsonObject data = reply->value(QStringLiteral("data")).toObject();
    qint64 sum = 0;
    for (const char *key : {"active_message", "feedback_message", "system_message"}) {
        const QJsonValue value = data.value(QLatin1String(key));
        // Counts are whole numbers; a text, a fraction or a flag says nothing.
        if (!value.isDouble())
            return std::nullopt;
        const std::optional<qint64> count = JsonUtils::intValue(value);
        if (!count)
            return std::nullopt;
        sum += *count;
    }
    return sum >= 1;
}

void NBLeftSideViewController::applyUnreadReply(const std::optional<QJsonObject> &reply, quint64 request)
{
    request = m_unreadCounts.numbered(request);
    if (m_unreadCounts.stale(request))
        return;
    const std::optional<bool> visible = unreadDotVisible(reply);
    if (!visible)
        return;
    m_unreadCounts.taken(request);
    accountItem()->redDot()->setVisible(*visible);
}

void NBLeftSideViewController::requestUnreadMessage()
{
    if (!m_unreadRequester)
        return;
    const quint64 request = m_unreadCounts.ask();
    QPointer<NBLeftSideViewController> self(this);
    m_unreadRequester([self, request](std::optional<QJsonObject> reply) {
        if (self)
            self->applyUnreadReply(reply, request);
    });
}

void NBLeftSideViewController::refreshTunState()
{
    QPointer<NBLeftSideViewController> self(this);
    QMetaObject::invokeMethod(this, [self] {
        if (!self)
            return;
        const UserDefaults &defaults = UserDefaults::standard();
        self->tunItem()->setIsSelect(defaults.boolForKey(DefaultsKeys::kTunStateKey)
                                     && defaults.boolForKey(DefaultsKeys::ShadowsocksOn));
    }, Qt::QueuedConnection);
}
