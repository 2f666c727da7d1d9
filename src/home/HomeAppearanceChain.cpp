#include "home/HomeAppearanceChain.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QPointer>

#include "common/HHNotificationTable.h"
#include "common/JsonUtils.h"
#include "common/Logger.h"
#include "common/MKUserInfoManager.h"
#include "common/NHHostTable.h"
#include "home/NoticeChain.h"
#include "networking/HHHostModel.h"
#include "networking/HHResourceVersionModel.h"
#include "networking/OOHostSafeAdpter.h"
#include "networking/OONetWorkTool.h"
#include "networking/XSAnalyticsManager.h"
#include "webcore/OOResourcePackageVersionTool.h"

namespace {

const QString kResourceVersion = QStringLiteral("resource_version");

QString compact(const QJsonObject &object)
{
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

std::optional<QJsonObject> storedRecord(const NamedJsonTable &table)
{
    const std::optional<QString> json = table.queryJson(kResourceVersion);
    return json ? JsonUtils::jsonObjectFromString(*json) : std::nullopt;
}

bool isStringArray(const QJsonValue &value)
{
    if (!value.isArray())
        return false;
    for (const QJsonValue &item : value.toArray()) {
        if (!item.isString())
            return false;
    }
    return true;
}

} // namespace

HomeAppearanceChain::Hooks HomeAppearanceChain::defaultHooks()
{
    Hooks hooks;
    hooks.track = [](const QString &event) { XSAnalyticsManager::shared().track(event); };
    hooks.pollHosts = [] { OOHostSafeAdpter::shared().startPollingRoundIfIdle(); };
    return hooks;
}

HomeAppearanceChain::HomeAppearanceChain(NoticeChain &notices, QObject *parent, Hooks hooks)
    : QObject(parent)
    , m_notices(notices)
    , m_hooks(std::move(hooks))
    , m_resourceVersionTool(new OOResourcePackageVersionTool(this))
{
}

HomeAppearanceChain::~HomeAppearanceChain() = default;

void HomeAppearanceChain::run()
{
    m_resourceVersionTool->check();
    checkUpdateGate();
    const quint64 request = m_nodeLists.ask();
    QPointer<HomeAppearanceChain> self(this);
    OONetWorkTool::nodeList([self, request](std::optional<QString> text, std::optional<NetError> error) {
        if (self)
            self->nodeListAnswered(text, error, request);
    });
    if (m_hooks.track)
        m_hooks.track(QStringLiteral("homePage_show"));
}

void HomeAppearanceChain::nodeListAnswered(const std::optional<QString> &text, const std::optional<NetError> &error,
                                           quint64 request)
{
    if (!onNodeList || m_nodeLists.stale(request))
        return;
    if (onNodeList(text, error))
        m_nodeLists.taken(request);
}

void HomeAppearanceChain::checkUpdateGate()
{
    // A notice chain still running keeps the account and notices from being asked again.
    if (!NoticeChain::noticesDone())
        return;
    if (m_hooks.checkUpdate)
        m_hooks.checkUpdate();
}

void HomeAppearanceChain::requestUserInfo()
{
    QPointer<HomeAppearanceChain> self(this);
    OONetWorkTool::accountInfo([self](std::optional<QJsonObject> data, std::optional<NetError>) {
        if (!self || !data)
            return;
        const QJsonValue version = data->value(kResourceVersion);
        const std::optional<QJsonObject> resourceVersion = version.isObject() ? std::optional(version.toObject()) : std::nullopt;
        // Unsaved, the screens keep the account as stored before; the notices and hosts below
        // need nothing of it, so they still go on.
        MKUserInfoManager::shared().storeRefreshedAccount(*data);
        self->checkNoticeVersion(resourceVersion);
        self->checkDomainVersion(resourceVersion);
    });
}

void HomeAppearanceChain::checkNoticeVersion(const std::optional<QJsonObject> &resourceVersion)
{
    QPointer<HomeAppearanceChain> self(this);
    OONetWorkTool::systemSetting([self, resourceVersion](std::optional<QJsonObject> response, std::optional<QString>) {
        if (!self || !response)
            return;
        const QJsonValue content = response->value(QStringLiteral("data")).toObject()
                                       .value(QStringLiteral("globalsettings")).toObject().value(QStringLiteral("content"));
        if (!content.isObject())
            return;
        const std::optional<HHResourceVersionModel> fresh =
            resourceVersion ? HHResourceVersionModel::fromJson(*resourceVersion) : std::nullopt;
        HHNotificationTable table;
        const std::optional<QJsonObject> storedJson = storedRecord(table);
        const std::optional<HHResourceVersionModel> stored =
            storedJson ? HHResourceVersionModel::fromJson(*storedJson) : std::nullopt;
        const std::optional<qint64> freshVersion = fresh ? fresh->notificationVersion : std::nullopt;
        const std::optional<qint64> storedVersion = stored ? stored->notificationVersion : std::nullopt;
        if (freshVersion != storedVersion) {
            if (!NoticeChain::noticesDone())
                return;
            // Unsaved, the next appearance finds the version new again and asks once more.
            if (!table.insertOrReplace(resourceVersion ? std::optional(compact(*resourceVersion)) : std::nullopt, kResourceVersion))
                OSTREL_LOG(Logger::Warning, QStringLiteral("home: notice version not stored"));
        } else if (!NoticeChain::noticesDone()) {
            return;
        }
        QPointer<NoticeChain> notices(&self->m_notices);
        OONetWorkTool::notificationList([notices](std::optional<QString> text, std::optional<NetError> error) {
            if (notices)
                notices->handleNoticeList(text, error);
        });
    });
}

void HomeAppearanceChain::checkDomainVersion(const std::optional<QJsonObject> &resourceVersion)
{
    const std::optional<HHHostModel> fresh = resourceVersion ? HHHostModel::fromJson(*resourceVersion) : std::nullopt;
    const std::optional<QJsonObject> storedJson = storedRecord(NHHostTable());
    const std::optional<HHHostModel> stored = storedJson ? HHHostModel::fromJson(*storedJson) : std::nullopt;
    const std::optional<QString> freshVersion = fresh ? fresh->domainVersion : std::nullopt;
    const std::optional<QString> storedVersion = stored ? stored->domainVersion : std::nullopt;
    if (freshVersion == storedVersion)
        return;
    getHosts([resourceVersion](bool ok) {
        if (!ok)
            return;
        if (!NHHostTable().insertOrReplace(resourceVersion ? std::optional(compact(*resourceVersion)) : std::nullopt,
                                           kResourceVersion))
            OSTREL_LOG(Logger::Warning, QStringLiteral("home: host version not stored; the hosts are asked again"));
    });
}

void HomeAppearanceChain::getHosts(std::function<void(bool)> completion)
{
    QPointer<HomeAppearanceChain> self(this);
    OONetWorkTool::domainHosts([self, completion](std::optional<QJsonObject> response, std::optional<QString>) {
        if (!self)
            return;
        const QJsonValue data = response ? response->value(QStringLiteral("data")) : QJsonValue();
        if (!data.isObject()) {
            if (completion)
                completion(false);
            return;
        }
        const QJsonObject object = data.toObject();
        NHHostTable table;
        bool stored = true;
        const QJsonValue inner = object.value(QStringLiteral("inner")).toObject().value(QStringLiteral("content"));
        if (isStringArray(inner))
            stored = table.insertOrReplace(QString::fromUtf8(QJsonDocument(inner.toArray()).toJson(QJsonDocument::Compact)),
                                           OOHostSafeAdpter::kHistoryHostsKey) && stored;
        const QJsonValue out = object.value(QStringLiteral("out")).toObject().value(QStringLiteral("content"));
        if (isStringArray(out))
            stored = table.insertOrReplace(QString::fromUtf8(QJsonDocument(out.toArray()).toJson(QJsonDocument::Compact)),
                                           OOHostSafeAdpter::kRemoteUrlsKey) && stored;
        // Lists that were not stored must not count as fetched: their version stays unrecorded,
        // so the next appearance asks for them again.
        if (!stored)
            OSTREL_LOG(Logger::Warning, QStringLiteral("home: fail-over hosts not stored"));
        if (completion)
            completion(stored);
        if (!self)
            return;
        if (self->m_hooks.pollHosts)
            self->m_hooks.pollHosts();
    });
}
