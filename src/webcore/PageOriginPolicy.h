#pragma once

#include <QString>
#include <QUrl>

// Which pages native code answers. Only pages loaded from disk under the data folder's page root
// or the bundled resources may read the user's token, have requests signed or start anything:
// a remote page that ends up in a web view (a followed link, a redirect) gets nothing.
class PageOriginPolicy
{
public:
    // A "file:" URL whose path, with "..", "." and symbolic links resolved, lies inside the page
    // root (AppPaths::pageFolder()) or the resource folder.
    static bool isTrustedPage(const QUrl &pageUrl);
    // The same test against explicit roots.
    static bool isInside(const QString &path, const QString &root);

    // Links leave the client only as http, https or mailto; xdg-open of anything else (a file,
    // a custom scheme) could start a program.
    static bool isAllowedExternalLink(const QUrl &url);

private:
    PageOriginPolicy() = delete;
};
