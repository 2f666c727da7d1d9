#pragma once

#include <QUrl>

// The page where the service offers the client for download, which a full-screen page's
// "update" button opens in the desktop's browser. The address is the protocol file's
// "upgrade.product_page": a full https address, or a path on the service's host in use.
class UpgradeProductPage
{
public:
    // Empty when none is configured or it is not an address the client may open.
    static QUrl url();
    // The same, for a given setting and service host (scheme and host, no trailing "/").
    static QUrl resolve(const QString &configured, const QString &serviceHost);

private:
    UpgradeProductPage() = delete;
};
