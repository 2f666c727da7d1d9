#include "webcore/PageOriginPolicy.h"

#include <QDir>
#include <QFileInfo>

#include "common/AppPaths.h"

namespace {

// The real location of a path: links and ".." resolved for what exists, the rest cleaned.
QString resolved(const QString &path)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    if (!canonical.isEmpty())
        return canonical;
    // A page that no longer exists: resolve its folder, which the page root always is.
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    if (folder.isEmpty())
        return QDir::cleanPath(info.absoluteFilePath());
    return folder + QLatin1Char('/') + info.fileName();
}

} // namespace

bool PageOriginPolicy::isInside(const QString &path, const QString &root)
{
    if (path.isEmpty() || root.isEmpty())
        return false;
    const QString realRoot = resolved(root);
    const QString realPath = resolved(path);
    if (realRoot.isEmpty() || realPath.isEmpty())
        return false;
    const QString prefix = realRoot.endsWith(QLatin1Char('/')) ? realRoot : realRoot + QLatin1Char('/');
    return realPath.startsWith(prefix);
}

bool PageOriginPolicy::isTrustedPage(const QUrl &pageUrl)
{
    if (!pageUrl.isValid() || !pageUrl.isLocalFile())
        return false;
    // A file URL with a host names another machine's file.
    if (!pageUrl.host().isEmpty())
        return false;
    const QString path = pageUrl.toLocalFile();
    return isInside(path, AppPaths::pageFolder()) || isInside(path, AppPaths::resourceFolder());
}

bool PageOriginPolicy::isAllowedExternalLink(const QUrl &url)
{
    if (!url.isValid())
        return false;
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("mailto"))
        return !url.path().isEmpty();
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https"))
        return !url.host().isEmpty();
    return false;
}
