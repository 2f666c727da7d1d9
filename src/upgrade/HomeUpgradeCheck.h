#pragma once

#include <QObject>
#include <QPointer>
#include <QVariantMap>

#include <functional>
#include <optional>

#include "networking/NetError.h"
#include "upgrade/MupleUpgradeManager.h"

class NBAboutUpgradeView;
class QJsonObject;
class QWidget;

// The home screen's side of the self-upgrade, owned by the home screen: the update check it
// sends on every appearance, the new-version banner it hosts in its connect area, and its
// answers to "preUpgradeDownloadSucceed" (show the banner, keep the offer) and
// "updateCloseTaped" (refresh the account).
class HomeUpgradeCheck : public QObject
{
    Q_OBJECT
public:
    explicit HomeUpgradeCheck(QObject *parent = nullptr);

    // Asks the service; the offer goes to the upgrade manager.
    void requestNeedUpdate();
    // The update check's answer. A failure, a reply without an offer, or an offer that leaves
    // no "updateCloseTaped" to come (undecodable, silent download, no window for the dialog)
    // refreshes the account at once; a shown dialog refreshes it when it is closed. A reply
    // without "data" stops.
    void handleUpdateReply(const std::optional<QJsonObject> &reply, const std::optional<NetError> &error);

    // The banner, made hidden on first use and sized to its text; its click opens the
    // ready-to-install dialog.
    NBAboutUpgradeView *upgradeView(QWidget *parent);
    void showUpgradeView();

    QVariantMap updateConfig() const { return m_updateConfig; }
    int accountRefreshes() const { return m_accountRefreshes; }

    void setManager(MupleUpgradeManager *manager) { m_manager = manager; }
    // What refreshing the account means; the home screen runs its whole account chain (notices,
    // hosts). Without one the account record alone is fetched and saved.
    void setAccountRefresh(std::function<void()> refresh) { m_accountRefresh = std::move(refresh); }

private:
    MupleUpgradeManager *manager() const;
    void refreshAccount();

    QPointer<NBAboutUpgradeView> m_upgradeView;
    QVariantMap m_updateConfig;
    QPointer<MupleUpgradeManager> m_manager;
    std::function<void()> m_accountRefresh;
    int m_accountRefreshes = 0;
};
