#include "helper/KdeProxyBackend.h"

#include "helper/BackendFile.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QJsonArray>
#include <QRegularExpression>
#include <QStandardPaths>

namespace {

const QString kGroup = QStringLiteral("[Proxy Settings]");
const QString kType = QStringLiteral("ProxyType");
const QString kSocks = QStringLiteral("socksProxy");
const QString kHttp = QStringLiteral("httpProxy");
const QString kHttps = QStringLiteral("httpsProxy");
const QString kNoProxy = QStringLiteral("NoProxyFor");
const QString kScript = QStringLiteral("Proxy Config Script");
const QString kReversed = QStringLiteral("ReversedException");
constexpr qint64 kMaxFileSize = 1024 * 1024;

const QStringList &managedKeys()
{
    static const QStringList keys = {kType, kSocks, kHttp, kHttps, kNoProxy, kScript, kReversed};
    return keys;
}

bool isSafeValue(const QString &text)
{
    if (text.size() > 8192)
        return false;
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return false;
    }
    return true;
}

QString keyOfLine(const QString &line)
{
    const qsizetype equals = line.indexOf(QLatin1Char('='));
    if (equals <= 0 || line.startsWith(QLatin1Char('#')))
        return {};
    return line.left(equals).trimmed();
}

// The range [begin, end) of the proxy group's lines after its header; begin == -1 when absent.
std::pair<qsizetype, qsizetype> groupRange(const QStringList &lines)
{
    const qsizetype header = lines.indexOf(kGroup);
    if (header < 0)
        return {-1, -1};
    qsizetype end = header + 1;
    while (end < lines.size() && !lines.at(end).trimmed().startsWith(QLatin1Char('[')))
        ++end;
    return {header + 1, end};
}

// "socks://127.0.0.1 9999" as KDE writes it, or "socks://127.0.0.1:9999".
std::pair<QString, int> parseProxyUrl(const QString &value)
{
    static const QRegularExpression pattern(QStringLiteral("^[a-z]+://([^ :/]+|\\[[^\\]]+\\])[ :]([0-9]+)/?$"));
    const QRegularExpressionMatch match = pattern.match(value.trimmed());
    if (!match.hasMatch())
        return {QString(), 0};
    QString host = match.captured(1);
    if (host.startsWith(QLatin1Char('[')))
        host = host.mid(1, host.size() - 2);
    return {host, match.captured(2).toInt()};
}

// KDE's comma list; a missing line is an empty one.
QStringList exceptionsIn(const QString &noProxyFor)
{
    QStringList entries;
    for (const QString &entry : noProxyFor.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        if (!entry.trimmed().isEmpty())
            entries.append(entry.trimmed());
    }
    return entries;
}

QString proxyUrl(const QString &scheme, const QString &host, int port)
{
    if (host.isEmpty())
        return {};
    return scheme + QStringLiteral("://") + host + QLatin1Char(' ') + QString::number(port);
}

} // namespace

KdeProxyBackend::KdeProxyBackend(const QString &kioslavercPath)
    : m_path(kioslavercPath)
{
}

QString KdeProxyBackend::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/kioslaverc");
}

std::optional<QStringList> KdeProxyBackend::readLines(QString *error) const
{
    const std::optional<QByteArray> bytes = BackendFile::read(m_path, kMaxFileSize, error);
    if (!bytes)
        return std::nullopt;
    QString text = QString::fromUtf8(*bytes);
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    if (text.isEmpty())
        return QStringList();
    return text.split(QLatin1Char('\n'));
}

QString KdeProxyBackend::writeLines(const QStringList &lines) const
{
    return BackendFile::write(m_path, (lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());
}

QString KdeProxyBackend::writeValues(const QJsonObject &values) const
{
    QString error;
    std::optional<QStringList> lines = readLines(&error);
    if (!lines)
        return error;
    auto [begin, end] = groupRange(*lines);
    if (begin < 0) {
        if (!lines->isEmpty() && !lines->last().isEmpty())
            lines->append(QString());
        lines->append(kGroup);
        begin = end = lines->size();
    }
    for (auto it = values.begin(); it != values.end(); ++it) {
        qsizetype found = -1;
        for (qsizetype i = begin; i < end; ++i) {
            if (keyOfLine(lines->at(i)) == it.key()) {
                found = i;
                break;
            }
        }
        if (it.value().isNull()) {
            if (found >= 0) {
                lines->removeAt(found);
                --end;
            }
            continue;
        }
        const QString line = it.key() + QLatin1Char('=') + it.value().toString();
        if (found >= 0) {
            (*lines)[found] = line;
            continue;
        }
        qsizetype insertAt = end;
        while (insertAt > begin && lines->at(insertAt - 1).trimmed().isEmpty())
            --insertAt;
        lines->insert(insertAt, line);
        ++end;
    }
    error = writeLines(*lines);
    if (error.isEmpty())
        notifyKio();
    return error;
}

void KdeProxyBackend::notifyKio()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    QDBusMessage signal = QDBusMessage::createSignal(QStringLiteral("/KIO/Scheduler"),
                                                     QStringLiteral("org.kde.KIO.Scheduler"),
                                                     QStringLiteral("reparseSlaveConfiguration"));
    signal << QString();
    bus.send(signal);
}

std::optional<QJsonObject> KdeProxyBackend::snapshot(QString *error)
{
    const std::optional<QStringList> lines = readLines(error);
    if (!lines)
        return std::nullopt;
    QJsonObject values;
    for (const QString &key : managedKeys())
        values.insert(key, QJsonValue::Null);
    const auto [begin, end] = groupRange(*lines);
    for (qsizetype i = begin; begin >= 0 && i < end; ++i) {
        const QString key = keyOfLine(lines->at(i));
        if (managedKeys().contains(key))
            values.insert(key, lines->at(i).mid(lines->at(i).indexOf(QLatin1Char('=')) + 1));
    }
    return values;
}

bool KdeProxyBackend::isValidSnapshot(const QJsonObject &snapshot) const
{
    if (snapshot.isEmpty())
        return false;
    for (auto it = snapshot.begin(); it != snapshot.end(); ++it) {
        if (!managedKeys().contains(it.key()))
            return false;
        if (!it.value().isNull() && !(it.value().isString() && isSafeValue(it.value().toString())))
            return false;
    }
    return true;
}

QString KdeProxyBackend::restoreSnapshot(const QJsonObject &snapshot)
{
    if (!isValidSnapshot(snapshot))
        return QStringLiteral("saved settings are damaged");
    return writeValues(snapshot);
}

std::optional<ProxySettings> KdeProxyBackend::settingsOf(const QJsonObject &snapshot, QString *error) const
{
    Q_UNUSED(error) // a value this daemon cannot parse reads as unset
    ProxySettings settings;
    const int type = snapshot.value(kType).toString().toInt();
    settings.mode = type == 1 ? ProxySettings::Mode::Manual
                    : type == 2 ? ProxySettings::Mode::Auto
                                : ProxySettings::Mode::None;
    std::tie(settings.socksHost, settings.socksPort) = parseProxyUrl(snapshot.value(kSocks).toString());
    std::tie(settings.httpHost, settings.httpPort) = parseProxyUrl(snapshot.value(kHttp).toString());
    std::tie(settings.httpsHost, settings.httpsPort) = parseProxyUrl(snapshot.value(kHttps).toString());
    settings.autoconfigUrl = snapshot.value(kScript).toString();
    settings.ignoreHosts = exceptionsIn(snapshot.value(kNoProxy).toString());
    return settings;
}

QJsonObject KdeProxyBackend::noProxySnapshot() const
{
    // No proxy, and KDE's own defaults for the rest (a key without a line).
    QJsonObject snapshot;
    for (const QString &key : managedKeys())
        snapshot.insert(key, QJsonValue::Null);
    snapshot.insert(kType, QStringLiteral("0"));
    return snapshot;
}

QList<ProxyBackend::KeyGroup> KdeProxyBackend::keyGroups() const
{
    using Role = KeyGroup::Role;
    // The exception list and whether it is reversed only mean something together.
    return {
        {Role::Mode, {kType}},          {Role::Route, {kSocks}},   {Role::Route, {kHttp}},
        {Role::Route, {kHttps}},        {Role::Route, {kScript}},  {Role::Bypass, {kNoProxy, kReversed}, kNoProxy},
    };
}

std::optional<QStringList> KdeProxyBackend::listEntries(const QJsonObject &keyValues) const
{
    // Reversed (the flag read as KDE reads one), the list names the hosts that do use the proxy: no
    // exception of the client's or the user's means the same there.
    const QString reversed = keyValues.value(kReversed).toString().trimmed().toLower();
    if (reversed == QLatin1String("true") || reversed == QLatin1String("on") || reversed == QLatin1String("yes")
        || reversed == QLatin1String("1"))
        return std::nullopt;
    return exceptionsIn(keyValues.value(kNoProxy).toString());
}

QJsonValue KdeProxyBackend::listValue(const QStringList &entries) const
{
    return entries.join(QLatin1Char(','));
}

QString KdeProxyBackend::apply(const ProxySettings &settings)
{
    const int type = settings.mode == ProxySettings::Mode::Manual ? 1
                     : settings.mode == ProxySettings::Mode::Auto ? 2
                                                                   : 0;
    const QString http = proxyUrl(QStringLiteral("http"), settings.httpHost, settings.httpPort);
    const QJsonObject values = {
        {kType, QString::number(type)},
        {kSocks, proxyUrl(QStringLiteral("socks"), settings.socksHost, settings.socksPort)},
        {kHttp, http},
        {kHttps, http},
        {kNoProxy, settings.ignoreHosts.join(QLatin1Char(','))},
        {kScript, settings.autoconfigUrl},
        {kReversed, QStringLiteral("false")},
    };
    return writeValues(values);
}
