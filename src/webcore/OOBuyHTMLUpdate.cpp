#include "webcore/OOBuyHTMLUpdate.h"

#include <QFile>
#include <QPointer>
#include <QUrl>

#include "common/AppPaths.h"
#include "common/UrlUtils.h"
#include "networking/OOHostSafeAdpter.h"
#include "webcore/DownloadRun.h"
#include "webcore/OOPackageFiles.h"
#include "webcore/OOPackagePipeline.h"
#include "webcore/WebLog.h"

struct OOBuyHTMLUpdate::Run : DownloadRun
{
    using DownloadRun::DownloadRun;
    int counter = 0; // changed keys still to be stored
};

namespace {

const QString kStaticUrl = QStringLiteral("staticurl");

// "data" -> "globalsettings" -> "content", when it is there and holds only texts.
std::optional<QJsonObject> packageList(const QJsonObject &setting)
{
    const QJsonValue content = setting.value(QStringLiteral("data")).toObject()
                                   .value(QStringLiteral("globalsettings")).toObject()
                                   .value(QStringLiteral("content"));
    if (!content.isObject())
        return std::nullopt;
    const QJsonObject list = content.toObject();
    for (auto it = list.begin(); it != list.end(); ++it) {
        if (!it.value().isString())
            return std::nullopt;
    }
    return list;
}

} // namespace

OOBuyHTMLUpdate::OOBuyHTMLUpdate(QObject *parent)
    : QObject(parent)
{
}

QString OOBuyHTMLUpdate::encodedUrl(const QString &url)
{
    // The characters a URL query may hold as they are; everything else is percent-encoded.
    return QString::fromLatin1(QUrl::toPercentEncoding(url, "!$&'()*+,-./:;=?@_~"));
}

void OOBuyHTMLUpdate::update(const std::optional<QJsonObject> &response, const std::optional<QString> &,
                             Completion completion)
{
    auto run = std::make_shared<Run>(this, std::move(completion));
    const std::optional<QJsonObject> server = response ? packageList(*response) : std::nullopt;
    if (!server)
        return report(run, false);
    const std::optional<QJsonObject> localSetting = OOPackageFiles::readList(OOPackageFiles::kSettingList);
    const std::optional<QJsonObject> local = localSetting ? packageList(*localSetting) : std::nullopt;
    if (!local)
        return report(run, false);

    for (auto it = server->begin(); it != server->end(); ++it) {
        if (it.key() == kStaticUrl || local->value(it.key()) == it.value())
            continue;
        if (!OOPackageFiles::isPlainName(it.key())) {
            webLog(QStringLiteral("package key \"%1\" is not a plain name; skipped").arg(it.key().left(64)), Q_FUNC_INFO);
            continue;
        }
        ++run->counter;
    }
    if (run->counter == 0)
        return report(run, false);

    const QString domain = OOHostSafeAdpter::shared().currentDomain();
    for (auto it = server->begin(); it != server->end(); ++it) {
        const QString key = it.key();
        if (key == kStaticUrl || local->value(key) == it.value() || !OOPackageFiles::isPlainName(key))
            continue;
        const QString url = UrlUtils::onDomain(domain, it.value().toString());
        const std::optional<QString> fid = UrlUtils::urlQueryValueFromString(QStringLiteral("fid"), url);
        const QJsonValue mine = local->value(key);
        if (fid && mine.isString()
            && UrlUtils::urlQueryValueFromString(QStringLiteral("fid"), mine.toString()) == fid) {
            // The same file under another address (a stored relative address carries the domain):
            // not fetched again, but it stays counted, so this run does not record the version
            // and the next check looks at the list once more.
            continue;
        }
        qCDebug(lcWeb).noquote() << key + "开始下载";
        download(run, url, key);
    }
    if (run->started() == 0)
        report(run, run->counter == 0);
}

void OOBuyHTMLUpdate::download(const std::shared_ptr<Run> &run, const QString &url, const QString &key)
{
    run->downloadStarted();
    const OOPackagePipeline::Request request{encodedUrl(url), key, OOPackageFiles::installedPath(key, QStringLiteral(".zip")), {}};
    QPointer<OOBuyHTMLUpdate> self(this);
    OOPackagePipeline::run(request, this, [self, run, key, url](OOPackagePipeline::Result result, const QString &) {
        if (!self)
            return;
        if (result != OOPackagePipeline::Result::Installed)
            return self->countDown(run, false);
        self->countDown(run, self->saveSystemSetting(key, url));
    });
}

bool OOBuyHTMLUpdate::saveSystemSetting(const QString &key, const QString &url)
{
    const QString path = OOPackageFiles::listPath(OOPackageFiles::kSettingList);
    if (!QFile::exists(path)) {
        const bool failed = !QFile::copy(AppPaths::resourcePath(OOPackageFiles::kSettingList), path);
        if (!failed)
            QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        qCDebug(lcWeb) << "systemsetting copied from the bundle, failed:" << failed;
    }
    const std::optional<QJsonObject> setting = OOPackageFiles::readDataFolderFile(OOPackageFiles::kSettingList);
    if (!setting)
        return false;
    QJsonObject root = *setting;
    QJsonObject data = root.value(QStringLiteral("data")).toObject();
    QJsonObject global = data.value(QStringLiteral("globalsettings")).toObject();
    if (root.value(QStringLiteral("data")).isObject() && data.value(QStringLiteral("globalsettings")).isObject()
        && global.value(QStringLiteral("content")).isObject()) {
        QJsonObject content = global.value(QStringLiteral("content")).toObject();
        content.insert(key, url);
        global.insert(QStringLiteral("content"), content);
        data.insert(QStringLiteral("globalsettings"), global);
        root.insert(QStringLiteral("data"), data);
    }
    if (const std::optional<QString> error = OOPackageFiles::writeList(OOPackageFiles::kSettingList, root)) {
        webLog(QStringLiteral("systemsetting not written: %1").arg(*error), Q_FUNC_INFO);
        return false;
    }
    return true;
}

void OOBuyHTMLUpdate::countDown(const std::shared_ptr<Run> &run, bool success)
{
    if (success)
        --run->counter;
    qCDebug(lcWeb) << "packages still to store:" << run->counter;
    if (run->downloadFinished())
        report(run, run->counter == 0);
}

void OOBuyHTMLUpdate::report(const std::shared_ptr<Run> &run, bool success)
{
    run->report(success);
}
