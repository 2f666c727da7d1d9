#pragma once

#include <QObject>
#include <QPointer>
#include <QVariantMap>

class NBAboutUpgradeView;
#include "upgrade/MupleUpgradeManager.h"
class QWidget;

// The home screen's side of the self-upgrade, for the home screen to own: the update check it
// sends on every appearance, the new-version banner it hosts in its connect area, and its
// answers to "preUpgradeDownloadSucceed" (show the banner, keep the offer) and
// "updateCloseTaped" (refresh the account).
class HomeUpgradeCheck : public QObject
{
    Q_OBJECT
public:
    explicit HomeUpgradeCheck(QObject *parent = nullptr);

    // Asks the service; the offer goes to the upgrade manager. A reply without an offer
    // refreshes the account instead.
    void requestNeedUpdate();

    // The banner, made hidden on first use and sized to its text; its click opens the
    // ready-to-install dialog.
    NBAboutUpgradeView *upgradeView(QWidget *parent);
    void showUpgradeView();

    QVariantMap updateConfig() const { return m_updateConfig; }
    int accountRefreshes() const { return m_accountRefreshes; }

    void setManager(MupleUpgradeManager *manager) { m_manager = manager; }

private:
    MupleUpgradeManager *manager() const;
    void refreshAccount();

    QPointer<NBAboutUpgradeView> m_upgradeView;
    QVariantMap m_updateConfig;
    QPointer<MupleUpgradeManager> m_manager;
    int m_accountRefreshes = 0;
};
