#include "settings/message/MessageLinkRouter.h"

#include <QDebug>

#include "webcore/PageOriginPolicy.h"
#include "settings/SettingsLog.h"

MessageLinkRouter::Route MessageLinkRouter::route(const QUrl &url)
{
    if (url.isEmpty() || !url.isValid())
        return Route::None;
    if (url.scheme().compare(QLatin1String("marlet"), Qt::CaseInsensitive) == 0) {
        // Hosts come back lower-cased from QUrl; "home", "buy", "my" and "newsList" lead nowhere
        // from a message.
        return url.host().compare(QLatin1String("linkBuy"), Qt::CaseInsensitive) == 0 ? Route::OpenPurchase : Route::None;
    }
    if (!PageOriginPolicy::isAllowedExternalLink(url)) {
        // The scheme only: the address may carry whatever the message's author put in it.
        qCWarning(lcSettings) << "message link refused, scheme" << url.scheme();
        return Route::None;
    }
    return Route::OpenExternal;
}
