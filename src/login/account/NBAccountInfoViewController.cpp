#include "login/account/NBAccountInfoViewController.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QPainterPath>
#include <QPushButton>
#include <QRegion>

#include "app/AppDelegate.h"
#include "uikit/NBAlertView.h"
#include "uikit/NBNavView.h"
#include "uikit/NBPresentationAnimator.h"
#include "uikit/NSFontHelper.h"
#include "uikit/OOToastView.h"
#include "uikit/RoundedPanel.h"
#include "uikit/UiImages.h"
#include "common/Localization.h"
#include "common/MKUserInfoManager.h"
#include "common/NotificationCenter.h"
#include "common/NotificationNames.h"
#include "login/account/NBBindAccountViewController.h"
#include "login/account/NBChangePassWordViewController.h"
#include "login/rows/NBSettingPushRowView.h"
#include "login/rows/NBSettingRowTexts.h"
#include "login/rows/NBSettingShowRowView.h"
#include "networking/OONetWorkTool.h"
#include "networking/XSAnalyticsManager.h"
#include "login/LoginLog.h"

namespace {

void track(const QString &event)
{
    XSAnalyticsManager::shared().track(event);
}

} // namespace

NBAccountInfoViewController::NBAccountInfoViewController(QWidget *parent)
    : NBBaseViewController(parent)
{
    resize(screenSize());
}

void NBAccountInfoViewController::viewDidLoad()
{
    NBBaseViewController::viewDidLoad();
    setupViews();
}

void NBAccountInfoViewController::setupViews()
{
    m_maskView = new RoundedPanel(QColor(42, 41, 44), 20, this);

    m_navView = new NBNavView(m_maskView);
    m_navView->titleLab()->setText(localizedByAppLanguage(QStringLiteral("SETTING_ACCOUNT_TITLE")));
    m_navView->backBtn()->setIcon(UiImages::icon(QStringLiteral("back")));
    connect(m_navView->backBtn(), &QPushButton::clicked, this, &NBAccountInfoViewController::dismissAction);

    m_scrollView = new RoundedPanel(QColor(33, 33, 33), 20, m_maskView);
    m_tableView = new QWidget(m_scrollView);

    m_logoutBtn = new QPushButton(QStringLiteral("退出"), m_maskView);
    m_logoutBtn->setFont(NSFontHelper::getRegularPingFangFont(14));
    m_logoutBtn->setFlat(true);
    m_logoutBtn->setFocusPolicy(Qt::NoFocus);
    m_logoutBtn->setCursor(Qt::PointingHandCursor);
    m_logoutBtn->setStyleSheet(QStringLiteral("QPushButton { background: rgb(66, 64, 68); border: none; border-radius: 20px;"
                                              " color: rgb(222, 228, 244); }"
                                              "QPushButton:pressed { background: rgb(56, 54, 58); }"));
    connect(m_logoutBtn, &QPushButton::clicked, this, &NBAccountInfoViewController::logoutAction);

    if (const std::optional<HHUserInfo> user = MKUserInfoManager::shared().currentUser())
        setUserInfo(*user);
    else
        m_statusText = NBSettingRowTexts::statusText(std::nullopt);
    layoutViews();
}

void NBAccountInfoViewController::viewWillAppear()
{
    NBBaseViewController::viewWillAppear();
    reloadData();
    track(QStringLiteral("accountPage_open"));
}

void NBAccountInfoViewController::viewDidAppear()
{
    NBBaseViewController::viewDidAppear();
    requestAccountInfo();
}

void NBAccountInfoViewController::reloadData()
{
    ensureLoaded();
    rebuildRows();
    // The table remakes every row view, so each reads the stored user afresh.
    for (const QPointer<QWidget> &view : std::as_const(m_rowViews))
        delete view.data();
    m_rowViews.clear();
    for (int row = 0; row < m_data.size(); ++row)
        m_rowViews.append(makeRowView(row));
    layoutViews();
}

void NBAccountInfoViewController::rebuildRows()
{
    const NBAccountInfoLogic::Rows rows = NBAccountInfoLogic::rowItems(MKUserInfoManager::shared().currentUser());
    m_phoneHasSet = rows.phoneHasSet;
    m_emailHasSet = rows.emailHasSet;
    m_data = NBAccountInfoLogic::items(rows.dictionaries);
    m_tableHeight = NBAccountInfoLogic::tableHeight(int(m_data.size()), MKUserInfoManager::shared().isVipValid());
}

QWidget *NBAccountInfoViewController::makeRowView(int row)
{
    NBSettingCellItem &item = m_data[row];
    if (NBAccountInfoLogic::isPushRow(item)) {
        auto *view = new NBSettingPushRowView(m_tableView);
        view->configure(item);
        connect(view, &NBSettingPushRowView::clicked, this, [this, row] { selectRow(row); });
        view->show();
        return view;
    }
    auto *view = new NBSettingShowRowView(m_tableView);
    if (item.cellType == NBSettingCellType::userId)
        view->copyBlock = [self = QPointer(this)] {
            if (self)
                self->copyUserId();
        };
    if (item.cellType == NBSettingCellType::status)
        item.subTitle = m_statusText;
    if (item.cellType == NBSettingCellType::expiredTime)
        view->lineView()->hide();
    view->configure(item);
    view->show();
    return view;
}

QList<QWidget *> NBAccountInfoViewController::rowViews() const
{
    QList<QWidget *> views;
    for (const QPointer<QWidget> &view : m_rowViews)
        views.append(view.data());
    return views;
}

void NBAccountInfoViewController::resizeEvent(QResizeEvent *event)
{
    NBBaseViewController::resizeEvent(event);
    layoutViews();
}

void NBAccountInfoViewController::layoutViews()
{
    if (!m_maskView)
        return;
    m_maskView->setGeometry(rect());
    const int w = width();
    m_navView->setGeometry(0, 0, w, 74);
    m_scrollView->setGeometry(18, 74, qMax(0, w - 18 - 17), m_tableHeight);
    m_tableView->setGeometry(m_scrollView->rect());
    // The rows are square and opaque: the table's rounded corners must clip them.
    QPainterPath rounded;
    rounded.addRoundedRect(QRectF(m_tableView->rect()), 20, 20);
    m_tableView->setMask(QRegion(rounded.toFillPolygon().toPolygon()));
    const bool twoLines = MKUserInfoManager::shared().isVipValid();
    int y = 0;
    for (int row = 0; row < m_rowViews.size(); ++row) {
        const int h = NBAccountInfoLogic::rowHeight(row, int(m_rowViews.size()), twoLines);
        if (m_rowViews[row])
            m_rowViews[row]->setGeometry(0, y, m_tableView->width(), h);
        y += h;
    }
    m_logoutBtn->setGeometry(17, height() - 23 - 40, qMax(0, w - 17 - 18), 40);
}

void NBAccountInfoViewController::requestAccountInfo()
{
    QPointer<NBAccountInfoViewController> self(this);
    OONetWorkTool::accountInfo([self](std::optional<QJsonObject> data, std::optional<NetError> error) {
        // Nothing to tell the user either way: the stored user keeps the screen as it is.
        if (!self || !data || error)
            return;
        const std::optional<HHUserInfo> info = HHUserInfo::fromJson(*data);
        if (!info)
            return;
        // The record holds the token: only its arrival is worth a line.
        qCDebug(lcLogin) << "用户数据: received";
        self->setUserInfo(*info);
    });
}

void NBAccountInfoViewController::setUserInfo(const HHUserInfo &info)
{
    m_userInfo = info;
    m_statusText = NBSettingRowTexts::statusText(info);
    if (!m_rowViews.isEmpty())
        reloadData();
}

void NBAccountInfoViewController::dismissAction()
{
    if (NBBaseViewController *parent = parentViewController())
        parent->dismissController();
}

void NBAccountInfoViewController::selectRow(int row)
{
    if (row < 0 || row >= m_data.size())
        return;
    switch (NBAccountInfoLogic::clickTarget(m_data[row])) {
    case NBAccountInfoLogic::Opens::BindEmail:
        openScreen(std::make_unique<NBBindAccountViewController>(BindAccountType::email, this));
        break;
    case NBAccountInfoLogic::Opens::BindPhone:
        openScreen(std::make_unique<NBBindAccountViewController>(BindAccountType::phone, this));
        break;
    case NBAccountInfoLogic::Opens::ChangePassword:
        openScreen(std::make_unique<NBChangePassWordViewController>(this));
        break;
    case NBAccountInfoLogic::Opens::Nothing:
        break;
    }
}

void NBAccountInfoViewController::openScreen(std::unique_ptr<NBBaseViewController> screen)
{
    screen->setGeometry(rect());
    auto *animator = new NBPresentationAnimator(screen.get(), this);
    presentViewController(std::move(screen), animator);
}

void NBAccountInfoViewController::copyUserId()
{
    const std::optional<HHUserInfo> user = MKUserInfoManager::shared().currentUser();
    const QString id = user && user->user ? user->user->username.value_or(QString()) : QString();
    QGuiApplication::clipboard()->setText(id);
    showSuccessToast(this, QStringLiteral("已复制用户id至剪切板"));
}

void NBAccountInfoViewController::logoutAction()
{
    auto alert = std::make_unique<NBAlertView>();
    alert->titleLabel()->setText(QStringLiteral("是否确定退出登录?"));
    alert->contentView()->setCornerRadius(8);
    alert->cancelBlock = [] { track(QStringLiteral("accountPage_logoutPopup_cancel_click")); };
    alert->confirmBlock = [] {
        AppDelegate *delegate = AppDelegate::shared();
        if (!delegate)
            return;
        // The home screen's connect road stops on this; the sign-out road then restores the
        // desktop's proxy and waits for the engines before it shows the guide.
        NotificationCenter::defaultCenter().post(NotificationNames::VPNStop);
        delegate->backToGuide();
        track(QStringLiteral("accountPage_logoutPopup_confirm_click"));
    };
    NBBaseView::show(std::move(alert));
    track(QStringLiteral("accountPage_logout_click"));
}
