#include "upgrade/UpgradeProductPage.h"

#include "common/ProtocolConfig.h"
#include "networking/OOHostSafeAdpter.h"
#include "networking/OONetWork.h"

QUrl UpgradeProductPage::url()
{
    return resolve(ProtocolConfig::string(QStringLiteral("upgrade.product_page")),
                   OOHostSafeAdpter::shared().currentDomain());
}

QUrl UpgradeProductPage::resolve(const QString &configured, const QString &serviceHost)
{
    if (configured.isEmpty())
        return {};
    QUrl url(configured, QUrl::StrictMode);
    if (url.isRelative()) {
        // A path belongs to whichever host of the service answers today.
        if (serviceHost.isEmpty() || !configured.startsWith(QLatin1Char('/')))
            return {};
        url = QUrl(serviceHost + configured, QUrl::StrictMode);
    }
    // The same rule as every address the client talks to: https, plain http only on loopback.
    if (!url.isValid() || url.host().isEmpty() || !OONetWork::isAllowedUrl(url))
        return {};
    return url;
}
