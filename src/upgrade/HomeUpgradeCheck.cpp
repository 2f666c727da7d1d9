#include "upgrade/HomeUpgradeCheck.h"

#include <QFileInfo>
#include <QJsonObject>

#include "common/MKUserInfoManager.h"
#include "common/NotificationCenter.h"
#include "common/NotificationNames.h"
#include "networking/OONetWorkTool.h"
#include "upgrade/MupleUpgradeManager.h"
#include "upgrade/NBAboutUpgradeView.h"
#include "upgrade/UpgradeState.h"

HomeUpgradeCheck::HomeUpgradeCheck(QObject *parent)
    : QObject(parent)
{
    NotificationCenter &centre = NotificationCenter::defaultCenter();
    centre.addObserver(NotificationNames::preUpgradeDownloadSucceed, this, [this](const Notification &notification) {
        // An offer that encodes to nothing keeps the one the banner already stands for.
        if (!notification.userInfo.isEmpty())
            m_updateConfig = notification.userInfo;
        if (m_upgradeView)
            m_upgradeView->show();
    }, NotificationCenter::Delivery::MainThread);
    centre.addObserver(NotificationNames::updateCloseTaped, this, [this](const Notification &) { refreshAccount(); },
                       NotificationCenter::Delivery::MainThread);
}

MupleUpgradeManager *HomeUpgradeCheck::manager() const
{
    return m_manager ? m_manager.data() : &MupleUpgradeManager::shared();
}

void HomeUpgradeCheck::requestNeedUpdate()
{
    QPointer<HomeUpgradeCheck> self(this);
    OONetWorkTool::updateApp([self](std::optional<QJsonObject> reply, std::optional<NetError> error) {
        if (self)
            self->handleUpdateReply(reply, error);
    });
}

void HomeUpgradeCheck::handleUpdateReply(const std::optional<QJsonObject> &reply, const std::optional<NetError> &error)
{
    if (error) {
        refreshAccount();
        return;
    }
    if (!reply || !reply->value(QStringLiteral("data")).isObject())
        return;
    MupleUpgradeManager *upgrades = manager();
    if (upgrades->handleUpdateReply(*reply) && upgrades->closeWillFollow())
        return;   // "updateCloseTaped" goes on
    refreshAccount();
}

void HomeUpgradeCheck::refreshAccount()
{
    ++m_accountRefreshes;
    if (m_accountRefresh) {
        m_accountRefresh();
        return;
    }
    QPointer<HomeUpgradeCheck> self(this);
    OONetWorkTool::accountInfo([self](std::optional<QJsonObject> data, std::optional<NetError>) {
        if (!self || !data)
            return;
        MKUserInfoManager::shared().storeRefreshedAccount(*data);
    });
}

NBAboutUpgradeView *HomeUpgradeCheck::upgradeView(QWidget *parent)
{
    if (m_upgradeView)
        return m_upgradeView;
    m_upgradeView = new NBAboutUpgradeView(parent);
    m_upgradeView->resize(m_upgradeView->preferredWidth(), 30);
    m_upgradeView->hide();
    QPointer<HomeUpgradeCheck> self(this);
    m_upgradeView->clickAction = [self] {
        if (self)
            self->showUpgradeView();
    };
    // The banner stands for a downloaded installer: once a failed install has deleted it, there is
    // nothing left to install from the banner.
    connect(&manager()->state(), &UpgradeState::changed, m_upgradeView, [self] {
        if (!self || !self->m_upgradeView)
            return;
        if (self->manager()->state().phase() == UpgradeState::Phase::Failed
            && !QFileInfo::exists(UpgradeInstallRunner::installerPath()))
            self->m_upgradeView->hide();
    });
    return m_upgradeView;
}

void HomeUpgradeCheck::showUpgradeView()
{
    manager()->presentReadyToInstall(m_updateConfig);
}
