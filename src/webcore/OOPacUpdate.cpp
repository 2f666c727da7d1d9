#include "webcore/OOPacUpdate.h"

#include <QJsonDocument>
#include <QPointer>

#include "common/JsonUtils.h"
#include "common/UrlUtils.h"
#include "networking/OOHostSafeAdpter.h"
#include "webcore/DownloadRun.h"
#include "webcore/OOPackageFiles.h"
#include "webcore/OOPackagePipeline.h"
#include "webcore/WebLog.h"

struct OOPacUpdate::Run : DownloadRun
{
    using DownloadRun::DownloadRun;
    bool allStored = true;
};

namespace {

QString jsonText(const QJsonObject &object)
{
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

// An "updated_at" counts only as a number with an integral value; anything else is absent.
std::optional<qint64> updatedAt(const QJsonValue &entry)
{
    return JsonUtils::intValue(entry.toObject().value(QStringLiteral("updated_at")));
}

} // namespace

OOPacUpdate::OOPacUpdate(QObject *parent)
    : QObject(parent)
{
}

const QStringList &OOPacUpdate::handledNames()
{
    static const QStringList names{QStringLiteral("gfwlist"), QStringLiteral("global"), QStringLiteral("gfwlist_KR"),
                                   QStringLiteral("gfwlist_otd")};
    return names;
}

void OOPacUpdate::update(const std::optional<QJsonObject> &response, const std::optional<QString> &,
                         Completion completion)
{
    auto run = std::make_shared<Run>(this, std::move(completion));
    if (!response)
        return report(run, false);

    const std::optional<QJsonObject> local = OOPackageFiles::readList(OOPackageFiles::kRouterList);
    qCDebug(lcWeb).noquote() << "acl version ===============================";
    qCDebug(lcWeb).noquote() << jsonText(*response);
    qCDebug(lcWeb).noquote() << (local ? jsonText(*local) : QString());
    qCDebug(lcWeb).noquote() << "===============================";
    if (!local) {
        webLog(QStringLiteral("本地pac列表为空"), Q_FUNC_INFO);
        return report(run, false);
    }
    m_localPacConfig = local;
    const QJsonValue data = response->value(QStringLiteral("data"));
    if (!data.isObject())
        return report(run, false);

    // Working copy: relative addresses get the current API domain, with the "/" between them.
    QJsonObject server = data.toObject();
    const QString domain = OOHostSafeAdpter::shared().currentDomain();
    for (auto it = server.begin(); it != server.end(); ++it) {
        if (!it.value().isObject())
            continue;
        QJsonObject entry = it.value().toObject();
        const QJsonValue path = entry.value(QStringLiteral("file_path"));
        if (path.isString() && !UrlUtils::isAbsoluteUrlText(path.toString())) {
            entry.insert(QStringLiteral("file_path"), UrlUtils::onDomain(domain, path.toString()));
            it.value() = entry;
        }
    }

    // A run starts only when a file the client already has moved on.
    int changed = 0;
    for (const QString &name : handledNames()) {
        const QJsonValue entry = server.value(name);
        const QJsonValue mine = local->value(name);
        if (entry.isObject() && mine.isObject() && updatedAt(entry) != updatedAt(mine))
            ++changed;
    }
    if (changed == 0)
        return report(run, true);

    for (const QString &name : handledNames()) {
        const QJsonValue entry = server.value(name);
        if (!entry.isObject())
            continue;
        const QJsonValue mine = local->value(name);
        if (mine.isObject() && updatedAt(entry) == updatedAt(mine))
            continue;
        download(run, name, entry.toObject());
    }
    if (run->started() == 0)
        report(run, false);
}

void OOPacUpdate::download(const std::shared_ptr<Run> &run, const QString &name, const QJsonObject &entry)
{
    run->downloadStarted();
    const QJsonValue path = entry.value(QStringLiteral("file_path"));
    qCDebug(lcWeb).noquote() << "🐶🐶🐶🐶🐶🐶🐶🐶🐶";
    qCDebug(lcWeb).noquote() << " 完整路径：" + path.toString() + " key：" + name + " dict:" + jsonText(entry);
    if (!path.isString()) {
        webLog(QStringLiteral("route file %1 has no address; not downloaded").arg(name), Q_FUNC_INFO);
        return countStoredFile(run, false);
    }
    OOPackagePipeline::Request request{path.toString(), name, OOPackageFiles::installedPath(name, QStringLiteral(".acl")), {}};
    request.checksummed = [target = request.targetPath, url = request.url, name](const QString &md5) {
        qCDebug(lcWeb).noquote() << "acl 路径地址:" + target + " 完整路径：" + url + " key：" + name + " fileMd5Value:" + md5;
    };
    QPointer<OOPacUpdate> self(this);
    OOPackagePipeline::run(request, this, [self, run, name, entry](OOPackagePipeline::Result result, const QString &) {
        if (!self)
            return;
        if (result != OOPackagePipeline::Result::Installed)
            return self->countStoredFile(run, false);
        self->countStoredFile(run, self->saveRouterFiles(name, entry));
    });
}

bool OOPacUpdate::saveRouterFiles(const QString &name, const QJsonObject &entry)
{
    // Re-read what is on disk: another run may have recorded a file since this one started.
    QJsonObject list = OOPackageFiles::readList(OOPackageFiles::kRouterList).value_or(m_localPacConfig.value_or(QJsonObject()));
    list.insert(name, entry);
    if (const std::optional<QString> error = OOPackageFiles::writeList(OOPackageFiles::kRouterList, list)) {
        webLog(QStringLiteral("routerfiles not written: %1").arg(*error), Q_FUNC_INFO);
        return false;
    }
    m_localPacConfig = list;
    return true;
}

void OOPacUpdate::countStoredFile(const std::shared_ptr<Run> &run, bool success)
{
    run->allStored = run->allStored && success;
    if (run->downloadFinished())
        report(run, run->allStored);
}

void OOPacUpdate::report(const std::shared_ptr<Run> &run, bool success)
{
    run->report(success);
}
