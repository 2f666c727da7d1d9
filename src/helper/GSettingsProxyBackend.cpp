#include "helper/GSettingsProxyBackend.h"

#include "helper/GVariantText.h"

#include <QProcess>

namespace {

const QString kBase = QStringLiteral("org.gnome.system.proxy");

// The keys this daemon changes, as "<schema> <key>". The HTTP credentials of the same schema are
// never read: they have no place in a saved state file.
const QStringList &managedKeys()
{
    static const QStringList keys = {
        QStringLiteral("org.gnome.system.proxy mode"),
        QStringLiteral("org.gnome.system.proxy autoconfig-url"),
        QStringLiteral("org.gnome.system.proxy ignore-hosts"),
        QStringLiteral("org.gnome.system.proxy.socks host"),
        QStringLiteral("org.gnome.system.proxy.socks port"),
        QStringLiteral("org.gnome.system.proxy.http host"),
        QStringLiteral("org.gnome.system.proxy.http port"),
        QStringLiteral("org.gnome.system.proxy.https host"),
        QStringLiteral("org.gnome.system.proxy.https port"),
    };
    return keys;
}

bool isSafeValueText(const QString &text)
{
    if (text.isEmpty() || text.size() > 8192)
        return false;
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return false;
    }
    return true;
}

} // namespace

GSettingsProxyBackend::GSettingsProxyBackend(const QString &program, int timeoutMs)
    : m_program(program)
    , m_timeoutMs(timeoutMs)
{
}

bool GSettingsProxyBackend::isAvailable(const QString &program)
{
    QProcess process;
    process.start(program, {QStringLiteral("list-keys"), kBase});
    if (!process.waitForFinished(3000)) {
        process.kill();
        process.waitForFinished(1000);
        return false;
    }
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

std::optional<QByteArray> GSettingsProxyBackend::listSchema(QString *error) const
{
    QProcess process;
    process.start(m_program, {QStringLiteral("list-recursively"), kBase});
    if (!process.waitForFinished(m_timeoutMs)) {
        process.kill();
        process.waitForFinished(1000);
        *error = QStringLiteral("gsettings did not answer for ") + kBase;
        return std::nullopt;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        *error = QStringLiteral("gsettings list-recursively failed for ") + kBase + QStringLiteral(": ")
            + QString::fromUtf8(process.readAllStandardError()).trimmed();
        return std::nullopt;
    }
    return process.readAllStandardOutput();
}

QString GSettingsProxyBackend::set(const QString &schemaKey, const QString &value) const
{
    QProcess process;
    process.start(m_program, QStringList{QStringLiteral("set")} + schemaKey.split(QLatin1Char(' ')) + QStringList{value});
    if (!process.waitForFinished(m_timeoutMs)) {
        process.kill();
        process.waitForFinished(1000);
        return QStringLiteral("gsettings did not answer for ") + schemaKey;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return QStringLiteral("gsettings set failed for ") + schemaKey + QStringLiteral(": ")
            + QString::fromUtf8(process.readAllStandardError()).trimmed();
    return {};
}

std::optional<QJsonObject> GSettingsProxyBackend::snapshot(QString *error)
{
    // One process for the whole schema, its children included: each line is "<schema> <key>
    // <value>", the value in the same GVariant text `gsettings get` prints. The listing also holds
    // keys this daemon never touches (the HTTP credentials among them): each is passed over as it
    // is read, and none is kept.
    const std::optional<QByteArray> listing = listSchema(error);
    if (!listing)
        return std::nullopt;
    QJsonObject saved;
    for (const QByteArray &line : listing->split('\n')) {
        const qsizetype schemaEnd = line.indexOf(' ');
        const qsizetype keyEnd = schemaEnd < 0 ? -1 : line.indexOf(' ', schemaEnd + 1);
        if (keyEnd < 0)
            continue;
        const QString schemaKey = QString::fromUtf8(line.left(keyEnd));
        if (managedKeys().contains(schemaKey))
            saved.insert(schemaKey, QString::fromUtf8(line.mid(keyEnd + 1)).trimmed());
    }
    for (const QString &key : managedKeys()) {
        if (!saved.contains(key)) {
            *error = QStringLiteral("gsettings does not list ") + key;
            return std::nullopt;
        }
    }
    return saved;
}

bool GSettingsProxyBackend::isValidSnapshot(const QJsonObject &snapshot) const
{
    if (snapshot.isEmpty())
        return false;
    for (auto it = snapshot.begin(); it != snapshot.end(); ++it) {
        if (!managedKeys().contains(it.key()) || !it.value().isString() || !isSafeValueText(it.value().toString()))
            return false;
    }
    return true;
}

QString GSettingsProxyBackend::restoreSnapshot(const QJsonObject &snapshot)
{
    if (!isValidSnapshot(snapshot))
        return QStringLiteral("saved settings are damaged");
    // Mode last, so the desktop never switches to a half-restored manual configuration.
    QString firstError;
    const QString modeKey = managedKeys().first();
    for (const QString &key : managedKeys()) {
        if (key == modeKey || !snapshot.contains(key))
            continue;
        const QString error = set(key, snapshot.value(key).toString());
        if (firstError.isEmpty())
            firstError = error;
    }
    if (snapshot.contains(modeKey)) {
        const QString error = set(modeKey, snapshot.value(modeKey).toString());
        if (firstError.isEmpty())
            firstError = error;
    }
    return firstError;
}

std::optional<ProxySettings> GSettingsProxyBackend::settingsOf(const QJsonObject &snapshot, QString *error) const
{
    Q_UNUSED(error) // a value gsettings printed and this daemon cannot parse reads as unset
    auto text = [&](int index) { return snapshot.value(managedKeys().at(index)).toString(); };
    ProxySettings settings;
    settings.mode = ProxySettings::modeFromName(GVariantText::parseString(text(0)).value_or(QString()))
                        .value_or(ProxySettings::Mode::None);
    settings.autoconfigUrl = GVariantText::parseString(text(1)).value_or(QString());
    settings.ignoreHosts = GVariantText::parseStringArray(text(2)).value_or(QStringList());
    settings.socksHost = GVariantText::parseString(text(3)).value_or(QString());
    settings.socksPort = GVariantText::parseInt(text(4)).value_or(0);
    settings.httpHost = GVariantText::parseString(text(5)).value_or(QString());
    settings.httpPort = GVariantText::parseInt(text(6)).value_or(0);
    return settings;
}

QJsonObject GSettingsProxyBackend::noProxySnapshot() const
{
    // The schema's own defaults.
    const QStringList values = {
        QStringLiteral("'none'"), QStringLiteral("''"), QStringLiteral("['localhost', '127.0.0.0/8', '::1']"),
        QStringLiteral("''"),     QStringLiteral("0"),  QStringLiteral("''"),
        QStringLiteral("8080"),   QStringLiteral("''"), QStringLiteral("0"),
    };
    QJsonObject snapshot;
    for (int i = 0; i < managedKeys().size(); ++i)
        snapshot.insert(managedKeys().at(i), values.at(i));
    return snapshot;
}

QList<ProxyBackend::KeyGroup> GSettingsProxyBackend::keyGroups() const
{
    const QStringList &keys = managedKeys();
    using Role = KeyGroup::Role;
    return {
        {Role::Mode, {keys.at(0)}},
        {Role::Route, {keys.at(1)}},
        {Role::Bypass, {keys.at(2)}},
        {Role::Route, {keys.at(3), keys.at(4)}},
        {Role::Route, {keys.at(5), keys.at(6)}},
        {Role::Route, {keys.at(7), keys.at(8)}},
    };
}

QString GSettingsProxyBackend::apply(const ProxySettings &settings)
{
    const QStringList values = {
        GVariantText::quote(ProxySettings::modeName(settings.mode)),
        GVariantText::quote(settings.autoconfigUrl),
        GVariantText::stringArray(settings.ignoreHosts),
        GVariantText::quote(settings.socksHost),
        QString::number(settings.socksPort),
        GVariantText::quote(settings.httpHost),
        QString::number(settings.httpPort),
        GVariantText::quote(settings.httpHost),
        QString::number(settings.httpPort),
    };
    for (int i = 1; i < managedKeys().size(); ++i) {
        const QString error = set(managedKeys().at(i), values.at(i));
        if (!error.isEmpty())
            return error;
    }
    return set(managedKeys().first(), values.first());
}
