#include "webcore/PageRequestPolicy.h"

#include "networking/OOHostSafeAdpter.h"
#include "webcore/PageOriginPolicy.h"

PageRequestPolicy::PageRequestPolicy(const QStringList &serviceHosts)
{
    setServiceHosts(serviceHosts);
}

QStringList PageRequestPolicy::serviceHosts()
{
    OOHostSafeAdpter &hosts = OOHostSafeAdpter::shared();
    return QStringList{hosts.currentDomain()} + hosts.cachedHosts() + OOHostSafeAdpter::defaultHosts();
}

void PageRequestPolicy::setServiceHosts(const QStringList &serviceHosts)
{
    m_origins.clear();
    for (const QString &host : serviceHosts) {
        const QString key = originKey(QUrl(host.trimmed(), QUrl::StrictMode));
        if (!key.isEmpty())
            m_origins.insert(key);
    }
}

QString PageRequestPolicy::originKey(const QUrl &url)
{
    if (!url.isValid() || url.host().isEmpty())
        return {};
    const QString scheme = url.scheme().toLower();
    int defaultPort = -1;
    if (scheme == QLatin1String("https"))
        defaultPort = 443;
    else if (scheme == QLatin1String("http"))
        defaultPort = 80;
    else
        return {};
    return scheme + QStringLiteral("://") + url.host().toLower() + QLatin1Char(':') + QString::number(url.port(defaultPort));
}

bool PageRequestPolicy::allows(const QUrl &url) const
{
    if (!url.isValid())
        return false;
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("file"))
        return PageOriginPolicy::isTrustedPage(url);
    // Made by the page from what it already holds; nothing leaves the process.
    if (scheme == QLatin1String("data") || scheme == QLatin1String("blob"))
        return true;
    if (scheme == QLatin1String("about"))
        return url.path() == QLatin1String("blank");
    const QString key = originKey(url);
    return !key.isEmpty() && m_origins.contains(key);
}
