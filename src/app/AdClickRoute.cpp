#include "app/AdClickRoute.h"

AdClickRoute AdClickRoute::fromLink(const std::optional<QJsonObject> &link)
{
    AdClickRoute route;
    if (!link || link->isEmpty())
        return route;
    const QJsonValue type = link->value(QStringLiteral("type"));
    if (!type.isString())
        return route;
    const QString name = type.toString();
    if (name == QLatin1String("buy")) {
        route.kind = Kind::Buy;
    } else if (name == QLatin1String("my")) {
        route.kind = Kind::My;
    } else if (name == QLatin1String("newsList")) {
        route.kind = Kind::NewsList;
    } else if (name == QLatin1String("lottery")) {
        route.kind = Kind::Lottery;
    } else if (name == QLatin1String("outer")) {
        const QJsonValue value = link->value(QStringLiteral("value"));
        const QUrl url(value.toString(), QUrl::StrictMode);
        const QString scheme = url.scheme().toLower();
        if (value.isString() && url.isValid() && !url.host().isEmpty()
            && (scheme == QLatin1String("http") || scheme == QLatin1String("https"))) {
            route.kind = Kind::Outer;
            route.url = url;
        }
    }
    return route;
}
