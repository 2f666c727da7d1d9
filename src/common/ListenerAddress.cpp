#include "common/ListenerAddress.h"

#include <QHostAddress>
#include <QUrl>

#include <utility>

ListenerAddress::ListenerAddress(QList<int> ports, QString pacUrl)
    : m_ports(std::move(ports))
    , m_pacUrl(std::move(pacUrl))
{
}

bool ListenerAddress::isLoopbackHost(const QString &host)
{
    QString name = host.trimmed();
    if (name.startsWith(QLatin1Char('[')) && name.endsWith(QLatin1Char(']')))
        name = name.mid(1, name.size() - 2);
    // The absolute form ("localhost.") is the same name.
    if (name.endsWith(QLatin1Char('.')))
        name.chop(1);
    if (name.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
        return true;
    return QHostAddress(name).isLoopback();
}

bool ListenerAddress::isNamedBy(const QString &host, int port) const
{
    return port > 0 && m_ports.contains(port) && isLoopbackHost(host);
}

bool ListenerAddress::isNamedByPac(const QString &url) const
{
    if (url.isEmpty())
        return false;
    if (!m_pacUrl.isEmpty() && url == m_pacUrl)
        return true;
    // Served by the listener, it goes with it. A URL without a port names its scheme's.
    const QUrl parsed(url);
    const int defaultPort = parsed.scheme() == QLatin1String("https") ? 443 : 80;
    return parsed.isValid() && !parsed.host().isEmpty() && isNamedBy(parsed.host(), parsed.port(defaultPort));
}
