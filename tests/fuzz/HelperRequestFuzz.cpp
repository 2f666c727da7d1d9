// Feeds arbitrary request lines to the helper as a client of its own user would send them: the
// line parse, the control-character gate, the method dispatch and every argument check. Whatever
// the line, what reaches a desktop settings store must be a proxy setting the checks allow.
#include <QJsonDocument>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "FuzzProfile.h"
#include "helper/FileProxyBackend.h"
#include "helper/HelperServer.h"
#include "helper/HelperValidation.h"
#include "helper/ProxyBackend.h"
#include "helper/ProxyConfigService.h"
#include "helper/SavedProxyState.h"

namespace {

bool allowedHost(const QString &host)
{
    return host.isEmpty() || HelperValidation::isHost(host);
}

// A settings store in memory that checks everything written to it.
class CheckingBackend : public ProxyBackend
{
public:
    QString name() const override { return QStringLiteral("fuzz"); }
    std::optional<QJsonObject> snapshot(QString *) override { return m_current.toJson(); }
    QString restoreSnapshot(const QJsonObject &snapshot) override
    {
        QString error;
        const std::optional<ProxySettings> settings = ProxySettings::fromJson(snapshot, &error);
        if (!settings)
            return error;
        return apply(*settings);
    }
    bool isValidSnapshot(const QJsonObject &snapshot) const override
    {
        QString error;
        return ProxySettings::fromJson(snapshot, &error).has_value();
    }
    std::optional<ProxySettings> settingsOf(const QJsonObject &snapshot, QString *error) const override
    {
        return ProxySettings::fromJson(snapshot, error);
    }
    QJsonObject noProxySnapshot() const override { return ProxySettings().toJson(); }
    // Its snapshots are the settings' own JSON form, as the file store's content is.
    QList<KeyGroup> keyGroups() const override { return FileProxyBackend::settingsKeyGroups(); }
    std::optional<QStringList> listEntries(const QJsonObject &keyValues) const override
    {
        return FileProxyBackend::settingsListEntries(keyValues);
    }
    QJsonValue listValue(const QStringList &entries) const override { return FileProxyBackend::settingsListValue(entries); }
    QString apply(const ProxySettings &settings) override
    {
        FUZZ_CHECK(allowedHost(settings.socksHost));
        FUZZ_CHECK(allowedHost(settings.httpHost));
        FUZZ_CHECK(settings.socksPort >= 0 && settings.socksPort <= 65535);
        FUZZ_CHECK(settings.httpPort >= 0 && settings.httpPort <= 65535);
        FUZZ_CHECK(settings.autoconfigUrl.isEmpty() || HelperValidation::isPacUrl(settings.autoconfigUrl));
        FUZZ_CHECK(!HelperValidation::hasControlCharacter(settings.autoconfigUrl));
        FUZZ_CHECK(settings.ignoreHosts.size() <= HelperValidation::kMaxIgnoreEntries);
        for (const QString &entry : settings.ignoreHosts) {
            FUZZ_CHECK(HelperValidation::isExceptionEntry(entry));
            FUZZ_CHECK(!HelperValidation::hasControlCharacter(entry));
        }
        m_current = settings;
        return {};
    }

private:
    ProxySettings m_current;
};

struct Helper
{
    explicit Helper(const QString &folder)
        : state(folder + QStringLiteral("/helper-state"))
        , service(backend, state, QStringLiteral("0.0.0"))
        , server(service)
    {
    }
    CheckingBackend backend;
    SavedProxyState state;
    ProxyConfigService service;
    HelperServer server;
};

std::unique_ptr<Helper> s_helper;

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***argv)
{
    s_helper = std::make_unique<Helper>(setUpFuzzProfile((*argv)[0]));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray line(reinterpret_cast<const char *>(data), int(size));
    const std::optional<QJsonObject> reply = s_helper->server.replyTo(line);
    if (!reply)
        return 0;
    // One reply object per request, answering with the request's id (or null) and exactly one
    // of result and error.
    FUZZ_CHECK(reply->contains(QStringLiteral("id")));
    FUZZ_CHECK(reply->contains(QStringLiteral("result")) != reply->contains(QStringLiteral("error")));
    return 0;
}
