#include "networking/ServiceDocumentLinks.h"

#include "common/ProtocolConfig.h"
#include "networking/OOHostSafeAdpter.h"

namespace {

QUrl configured(const QString &key)
{
    const QString address = ProtocolConfig::string(key);
    if (address.isEmpty())
        return {};
    return ServiceDocumentLinks::resolve(address, OOHostSafeAdpter::shared().currentDomain());
}

bool isWebAddress(const QUrl &url)
{
    const QString scheme = url.scheme();
    return url.isValid() && !url.host().isEmpty()
        && (scheme == QLatin1String("https") || scheme == QLatin1String("http"));
}

} // namespace

QUrl ServiceDocumentLinks::termsUrl()
{
    return configured(QStringLiteral("hosts.terms"));
}

QUrl ServiceDocumentLinks::privacyUrl()
{
    return configured(QStringLiteral("hosts.privacy"));
}

QUrl ServiceDocumentLinks::resolve(const QString &address, const QString &domain)
{
    if (address.startsWith(QLatin1Char('/'))) {
        if (address.startsWith(QLatin1String("//")))
            return {};
        QUrl base(domain, QUrl::StrictMode);
        if (!isWebAddress(base))
            return {};
        const QUrl page(address, QUrl::StrictMode);
        if (!page.isValid())
            return {};
        base.setPath(page.path());
        base.setQuery(page.query());
        base.setFragment(page.fragment());
        return base;
    }
    const QUrl url(address, QUrl::StrictMode);
    return isWebAddress(url) ? url : QUrl();
}
