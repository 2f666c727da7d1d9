#include "webcore/OOResourcePackageVersionTool.h"

#include <QJsonDocument>

#include "common/JsonUtils.h"
#include "networking/OONetWorkTool.h"
#include "webcore/OOBuyHTMLUpdate.h"
#include "webcore/OOPacUpdate.h"
#include "webcore/OOPackageFiles.h"
#include "webcore/WebLog.h"

namespace {

const QString kAclVersion = QStringLiteral("aclVersion");
const QString kH5Version = QStringLiteral("h5Version");

bool isInteger(const QJsonValue &value)
{
    // A Boolean is no version number, whatever the integer reader makes of it.
    return value.isDouble() && JsonUtils::intValue(value).has_value();
}

} // namespace

OOResourcePackageVersionTool::OOResourcePackageVersionTool(QObject *parent)
    : QObject(parent)
    , m_pacTool(new OOPacUpdate(this))
    , m_buyHTMLTool(new OOBuyHTMLUpdate(this))
{
}

void OOResourcePackageVersionTool::check()
{
    QPointer<OOResourcePackageVersionTool> self(this);
    OONetWorkTool::resourcePackageVersion([self](std::optional<QJsonObject> response, std::optional<QString> message) {
        if (self)
            self->checkVersion(response, message);
    });
}

void OOResourcePackageVersionTool::checkVersion(const std::optional<QJsonObject> &response,
                                                const std::optional<QString> &)
{
    if (!response || !response->value(QStringLiteral("data")).isObject())
        return;
    const QJsonObject server = response->value(QStringLiteral("data")).toObject();
    const std::optional<QJsonObject> record = OOPackageFiles::readList(OOPackageFiles::kVersionList);
    qCDebug(lcWeb).noquote() << "resouce version ===============================";
    qCDebug(lcWeb).noquote() << (record ? QString::fromUtf8(QJsonDocument(*record).toJson(QJsonDocument::Compact)) : QString());
    qCDebug(lcWeb).noquote() << "===============================";
    if (!record) {
        webLog(QStringLiteral("本地pac列表为空"), Q_FUNC_INFO);
        return;
    }
    m_localConfig = record;
    for (auto it = server.begin(); it != server.end(); ++it) {
        qCDebug(lcWeb).noquote() << it.key();
        if (it.key() == kAclVersion)
            updateRouteFiles(it.value());
        else if (it.key() == kH5Version)
            updatePages(it.value());
    }
}

void OOResourcePackageVersionTool::updateRouteFiles(const QJsonValue &serverVersion)
{
    const QJsonValue mine = m_localConfig->value(kAclVersion);
    if (!isInteger(serverVersion) || !isInteger(mine) || JsonUtils::intValue(serverVersion) == JsonUtils::intValue(mine))
        return;
    QPointer<OOResourcePackageVersionTool> self(this);
    QPointer<OOPacUpdate> pac(m_pacTool);
    Q_EMIT updateStarted(kAclVersion);
    OONetWorkTool::routerFiles([self, pac, serverVersion](std::optional<QJsonObject> response, std::optional<QString> message) {
        if (!pac)
            return;
        pac->update(response, message, [self, serverVersion](bool success) {
            if (!self)
                return;
            if (success)
                self->saveVersions(kAclVersion, serverVersion);
            Q_EMIT self->updateFinished(kAclVersion, success);
        });
    });
}

void OOResourcePackageVersionTool::updatePages(const QJsonValue &serverVersion)
{
    const QJsonValue mine = m_localConfig->value(kH5Version);
    if (!serverVersion.isString() || !mine.isString() || serverVersion == mine)
        return;
    QPointer<OOResourcePackageVersionTool> self(this);
    QPointer<OOBuyHTMLUpdate> pages(m_buyHTMLTool);
    Q_EMIT updateStarted(kH5Version);
    OONetWorkTool::systemSetting([self, pages, serverVersion](std::optional<QJsonObject> response, std::optional<QString> message) {
        if (!pages)
            return;
        pages->update(response, message, [self, serverVersion](bool success) {
            if (!self)
                return;
            if (success)
                self->saveVersions(kH5Version, serverVersion);
            Q_EMIT self->updateFinished(kH5Version, success);
        });
    });
}

void OOResourcePackageVersionTool::saveVersions(const QString &key, const QJsonValue &value)
{
    if (!m_localConfig)
        m_localConfig = OOPackageFiles::readList(OOPackageFiles::kVersionList).value_or(QJsonObject());
    m_localConfig->insert(key, value);
    if (const std::optional<QString> error = OOPackageFiles::writeList(OOPackageFiles::kVersionList, *m_localConfig))
        webLog(QStringLiteral("resourcePackageVersion not written: %1").arg(*error), Q_FUNC_INFO);
}
