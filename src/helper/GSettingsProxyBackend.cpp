#include "helper/GSettingsProxyBackend.h"

#include "helper/GVariantText.h"

#include <QProcess>

namespace {

const QString kBase = QStringLiteral("org.gnome.system.proxy");

using Role = ProxyBackend::KeyGroup::Role;

QString stringIn(const QString &text)
{
    return GVariantText::parseString(text).value_or(QString());
}

int numberIn(const QString &text)
{
    return GVariantText::parseInt(text).value_or(0);
}

// A key of the schema this daemon changes: its name as "<schema> <key>", what it says, the group
// it belongs to (a host and its port share one), the schema's own default, and the field of the
// settings it holds, read from and written as the GVariant text gsettings prints and parses.
struct ManagedKey
{
    QString name;
    Role role;
    int group;
    QString schemaDefault;
    void (*read)(ProxySettings &settings, const QString &text);
    QString (*write)(const ProxySettings &settings);
};

// Every key this daemon changes, in the order it writes them: the mode last, so the desktop never
// switches to a half-written manual configuration. The HTTP credentials of the same schema are
// never read: they have no place in a saved state file. The client's HTTP proxy serves HTTPS too;
// the store's own HTTPS proxy is read apart, so a listener named there is seen.
const QList<ManagedKey> &keyTable()
{
    static const QList<ManagedKey> table = {
        {QStringLiteral("org.gnome.system.proxy autoconfig-url"), Role::Route, 1, QStringLiteral("''"),
         [](ProxySettings &s, const QString &t) { s.autoconfigUrl = stringIn(t); },
         [](const ProxySettings &s) { return GVariantText::quote(s.autoconfigUrl); }},
        {QStringLiteral("org.gnome.system.proxy ignore-hosts"), Role::Bypass, 2,
         QStringLiteral("['localhost', '127.0.0.0/8', '::1']"),
         [](ProxySettings &s, const QString &t) { s.ignoreHosts = GVariantText::parseStringArray(t).value_or(QStringList()); },
         [](const ProxySettings &s) { return GVariantText::stringArray(s.ignoreHosts); }},
        {QStringLiteral("org.gnome.system.proxy.socks host"), Role::Route, 3, QStringLiteral("''"),
         [](ProxySettings &s, const QString &t) { s.socksHost = stringIn(t); },
         [](const ProxySettings &s) { return GVariantText::quote(s.socksHost); }},
        {QStringLiteral("org.gnome.system.proxy.socks port"), Role::Route, 3, QStringLiteral("0"),
         [](ProxySettings &s, const QString &t) { s.socksPort = numberIn(t); },
         [](const ProxySettings &s) { return QString::number(s.socksPort); }},
        {QStringLiteral("org.gnome.system.proxy.http host"), Role::Route, 4, QStringLiteral("''"),
         [](ProxySettings &s, const QString &t) { s.httpHost = stringIn(t); },
         [](const ProxySettings &s) { return GVariantText::quote(s.httpHost); }},
        {QStringLiteral("org.gnome.system.proxy.http port"), Role::Route, 4, QStringLiteral("8080"),
         [](ProxySettings &s, const QString &t) { s.httpPort = numberIn(t); },
         [](const ProxySettings &s) { return QString::number(s.httpPort); }},
        {QStringLiteral("org.gnome.system.proxy.https host"), Role::Route, 5, QStringLiteral("''"),
         [](ProxySettings &s, const QString &t) { s.httpsHost = stringIn(t); },
         [](const ProxySettings &s) { return GVariantText::quote(s.httpHost); }},
        {QStringLiteral("org.gnome.system.proxy.https port"), Role::Route, 5, QStringLiteral("0"),
         [](ProxySettings &s, const QString &t) { s.httpsPort = numberIn(t); },
         [](const ProxySettings &s) { return QString::number(s.httpPort); }},
        {QStringLiteral("org.gnome.system.proxy mode"), Role::Mode, 6, QStringLiteral("'none'"),
         [](ProxySettings &s, const QString &t) {
             s.mode = ProxySettings::modeFromName(stringIn(t)).value_or(ProxySettings::Mode::None);
         },
         [](const ProxySettings &s) { return GVariantText::quote(ProxySettings::modeName(s.mode)); }},
    };
    return table;
}

const QStringList &managedKeys()
{
    static const QStringList keys = [] {
        QStringList names;
        for (const ManagedKey &key : keyTable())
            names.append(key.name);
        return names;
    }();
    return keys;
}

// The exceptions: the one key of what goes around the proxy, a list.
const QString &exceptionsKey()
{
    static const QString key = [] {
        for (const ManagedKey &key : keyTable()) {
            if (key.role == Role::Bypass)
                return key.name;
        }
        return QString();
    }();
    return key;
}

// A key's value in the one text this daemon writes for it, so that values compare by what they
// say: GLib prints a string that holds an apostrophe in double quotes and escapes characters its
// own way, and a port may come typed ("int32 8080"). A text none of the schema's types reads stays
// as it is.
QString canonicalText(const QString &key, const QString &text)
{
    if (key == exceptionsKey()) {
        const std::optional<QStringList> list = GVariantText::parseStringArray(text);
        return list ? GVariantText::stringArray(*list) : text;
    }
    if (const std::optional<QString> string = GVariantText::parseString(text))
        return GVariantText::quote(*string);
    if (const std::optional<int> number = GVariantText::parseInt(text))
        return QString::number(*number);
    return text;
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

// gsettings exits 0 when its store dropped the change: with the session bus gone, dconf prints
// "failed to commit changes to dconf" as a GLib warning and the key keeps its old value.
bool reportsLostWrite(const QString &stderrText)
{
    return stderrText.contains(QLatin1String("failed to commit")) || stderrText.contains(QLatin1String("WARNING **"))
        || stderrText.contains(QLatin1String("CRITICAL **"));
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
    const QString stderrText = QString::fromUtf8(process.readAllStandardError()).trimmed();
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0 || reportsLostWrite(stderrText))
        return QStringLiteral("gsettings set failed for ") + schemaKey + QStringLiteral(": ") + stderrText;
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
    // In the table's order, the mode last. Every key is tried, so one refused key leaves no other
    // unwritten.
    QString firstError;
    for (const ManagedKey &key : keyTable()) {
        if (!snapshot.contains(key.name))
            continue;
        const QString error = set(key.name, snapshot.value(key.name).toString());
        if (firstError.isEmpty())
            firstError = error;
    }
    return firstError;
}

QString GSettingsProxyBackend::writeKeys(const QJsonObject &target, const QStringList &keys)
{
    if (!isValidSnapshot(target))
        return QStringLiteral("saved settings are damaged");
    QString firstError;
    for (const ManagedKey &key : keyTable()) {
        if (!keys.contains(key.name) || !target.contains(key.name))
            continue;
        const QString error = set(key.name, target.value(key.name).toString());
        if (firstError.isEmpty())
            firstError = error;
    }
    return firstError;
}

QJsonObject GSettingsProxyBackend::keyValues(const QJsonObject &snapshot) const
{
    QJsonObject values;
    for (auto it = snapshot.begin(); it != snapshot.end(); ++it)
        values.insert(it.key(), it.value().isString() ? QJsonValue(canonicalText(it.key(), it.value().toString())) : it.value());
    return values;
}

std::optional<ProxySettings> GSettingsProxyBackend::settingsOf(const QJsonObject &snapshot, QString *error) const
{
    Q_UNUSED(error) // a value gsettings printed and this daemon cannot parse reads as unset
    ProxySettings settings;
    for (const ManagedKey &key : keyTable())
        key.read(settings, snapshot.value(key.name).toString());
    return settings;
}

QJsonObject GSettingsProxyBackend::noProxySnapshot() const
{
    QJsonObject snapshot;
    for (const ManagedKey &key : keyTable())
        snapshot.insert(key.name, key.schemaDefault);
    return snapshot;
}

QList<ProxyBackend::KeyGroup> GSettingsProxyBackend::keyGroups() const
{
    QList<KeyGroup> groups;
    int group = 0;
    for (const ManagedKey &key : keyTable()) {
        if (!groups.isEmpty() && key.group == group) {
            groups.last().keys.append(key.name);
            continue;
        }
        group = key.group;
        groups.append({key.role, {key.name}, key.name == exceptionsKey() ? key.name : QString()});
    }
    return groups;
}

std::optional<QStringList> GSettingsProxyBackend::listEntries(const QJsonObject &keyValues) const
{
    return GVariantText::parseStringArray(keyValues.value(exceptionsKey()).toString());
}

QJsonValue GSettingsProxyBackend::listValue(const QStringList &entries) const
{
    return GVariantText::stringArray(entries);
}

QString GSettingsProxyBackend::apply(const ProxySettings &settings)
{
    for (const ManagedKey &key : keyTable()) {
        const QString error = set(key.name, key.write(settings));
        if (!error.isEmpty())
            return error;
    }
    return {};
}
