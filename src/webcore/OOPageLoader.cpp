#include "webcore/OOPageLoader.h"

#include <QCoreApplication>
#include <QFile>
#include <QPointer>
#include <QThreadPool>

#include "common/AppPaths.h"
#include "common/SafeArchiveExtractor.h"
#include "common/GuiThread.h"
#include "common/ThreadHandOff.h"
#include "webcore/OOPackageFiles.h"
#include "webcore/WebLog.h"

const QString OOPageLoader::kPurchasePage = QStringLiteral("buypage");
const QString OOPageLoader::kDownloadPage = QStringLiteral("mac-tamsine-download");

QString OOPageLoader::bundledArchive(const QString &name)
{
    return AppPaths::builtResourcePath(QStringLiteral("pages/") + name + QStringLiteral(".zip"));
}

QString OOPageLoader::localArchive(const QString &name)
{
    return OOPackageFiles::installedPath(name, QStringLiteral(".zip"));
}

QString OOPageLoader::pageFolder(const QString &name)
{
    return AppPaths::pageFolder() + QLatin1Char('/') + name;
}

std::optional<QString> OOPageLoader::unpack(const QString &name)
{
    if (!OOPackageFiles::isPlainName(name))
        return std::nullopt;
    const QString bundled = bundledArchive(name);
    if (!QFile::exists(bundled)) {
        webLog(QStringLiteral("page %1: no bundled archive").arg(name), Q_FUNC_INFO);
        return std::nullopt;
    }
    // Offline on a first start nothing else has made the private folder yet.
    AppPaths::ensureFolder(AppPaths::privateFolder(), true);
    const QString local = localArchive(name);
    if (!QFile::exists(local)) {
        if (QFile::copy(bundled, local))
            QFile::setPermissions(local, QFile::ReadOwner | QFile::WriteOwner);
        else
            webLog(QStringLiteral("page %1: the bundled archive could not be copied").arg(name), Q_FUNC_INFO);
    }
    AppPaths::ensureFolder(AppPaths::pageFolder(), true);
    SafeArchiveExtractor::Options options;
    options.password = OOPackageFiles::packagePassword();
    options.placement = SafeArchiveExtractor::Placement::ReplaceFolder;
    const SafeArchiveExtractor::Result result = SafeArchiveExtractor::extractFile(local, pageFolder(name), options);
    if (!result.ok()) {
        webLog(QStringLiteral("page %1 not unpacked: %2").arg(name, result.error), Q_FUNC_INFO);
        return std::nullopt;
    }
    const QString entry = pageFolder(name) + QStringLiteral("/index.html");
    if (!QFile::exists(entry)) {
        webLog(QStringLiteral("page %1: the package has no index.html").arg(name), Q_FUNC_INFO);
        return std::nullopt;
    }
    return entry;
}

void OOPageLoader::loadPage(const QString &name, QObject *context, Completion completion)
{
    QPointer<QObject> guard(context);
    QThreadPool::globalInstance()->start(ThreadHandOff::carried([name, guard, completion] {
        const std::optional<QString> entry = unpack(name);
        GuiThread::post(QCoreApplication::instance(), [guard, completion, entry] {
            if (guard && completion)
                completion(entry);
        });
    }));
}
