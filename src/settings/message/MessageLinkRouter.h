#pragma once

#include <QUrl>

// Where a link clicked in a message leads. In-app links ("marlet" scheme) may open the purchase
// page; every other link leaves the client only as http, https or mailto.
class MessageLinkRouter
{
public:
    enum class Route {
        None,          // nothing happens
        OpenPurchase,  // "marlet://linkBuy": the purchase page over the message centre
        OpenExternal,  // the desktop's browser or mail program
    };

    static Route route(const QUrl &url);

private:
    MessageLinkRouter() = delete;
};
