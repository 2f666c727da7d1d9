#include "helper/HelperValidation.h"

#include <QHostAddress>
#include <QJsonArray>
#include <QJsonObject>
#include <QRegularExpression>
#include <QUrl>

#include <algorithm>

#include "common/JsonUtils.h"

namespace {

// "$" also matches before a final line break, so a pattern's own anchors are not trusted: the
// match must cover the whole text.
bool matchesWhole(const QString &text, const QRegularExpression &pattern)
{
    const QRegularExpressionMatch match = pattern.match(text);
    return match.hasMatch() && match.capturedStart() == 0 && match.capturedLength() == text.size();
}

bool isControl(QChar c)
{
    const char16_t code = c.unicode();
    // C0, DEL, C1, and the Unicode line and paragraph separators: all break a line of a file.
    return code < 0x20 || (code >= 0x7f && code <= 0x9f) || code == 0x2028 || code == 0x2029;
}

std::optional<int> integerIn(const QJsonValue &value, int low, int high)
{
    const std::optional<qint64> number = JsonUtils::integerIn(value, low, high);
    return number ? std::optional<int>(static_cast<int>(*number)) : std::nullopt;
}

} // namespace

namespace HelperValidation {

bool hasControlCharacter(const QString &text)
{
    return std::any_of(text.cbegin(), text.cend(), isControl);
}

bool hasControlCharacter(const QJsonValue &value)
{
    if (value.isString())
        return hasControlCharacter(value.toString());
    if (value.isArray()) {
        const QJsonArray array = value.toArray();
        return std::any_of(array.begin(), array.end(), [](const QJsonValue &item) { return hasControlCharacter(item); });
    }
    if (value.isObject()) {
        const QJsonObject object = value.toObject();
        for (auto it = object.begin(); it != object.end(); ++it) {
            if (hasControlCharacter(it.key()) || hasControlCharacter(it.value()))
                return true;
        }
    }
    return false;
}

std::optional<int> port(const QJsonValue &value)
{
    return integerIn(value, 1, 65535);
}

std::optional<int> portOrZero(const QJsonValue &value)
{
    return integerIn(value, 0, 65535);
}

bool isAddress(const QString &text)
{
    if (text.isEmpty() || text.size() > 45)
        return false;
    // QHostAddress accepts scope ids and other decorations; keep to plain digits, dots, colons.
    static const QRegularExpression chars(QStringLiteral("^[0-9A-Fa-f.:]+$"));
    if (!matchesWhole(text, chars))
        return false;
    if (!text.contains(QLatin1Char(':'))) {
        // Four dotted decimals only: the resolver's shorthand forms ("8.8.8", "0x7f.1") are not
        // what anyone means in a proxy setting.
        static const QRegularExpression v4(QStringLiteral(
            "^((25[0-5]|2[0-4][0-9]|1[0-9]{2}|[1-9]?[0-9])\\.){3}(25[0-5]|2[0-4][0-9]|1[0-9]{2}|[1-9]?[0-9])$"));
        return matchesWhole(text, v4);
    }
    QHostAddress address;
    return address.setAddress(text) && address.protocol() == QAbstractSocket::IPv6Protocol;
}

bool isHost(const QString &text)
{
    if (isAddress(text))
        return true;
    static const QRegularExpression name(QStringLiteral(
        "^(?=.{1,253}$)[A-Za-z0-9](?:[A-Za-z0-9-]{0,61}[A-Za-z0-9])?"
        "(?:\\.[A-Za-z0-9](?:[A-Za-z0-9-]{0,61}[A-Za-z0-9])?)*\\.?$"));
    return matchesWhole(text, name);
}

bool isExceptionEntry(const QString &text)
{
    if (text.isEmpty() || text.size() > kMaxEntryLength)
        return false;
    if (isHost(text))
        return true;
    if (text.startsWith(QLatin1String("*.")) && isHost(text.mid(2)))
        return true;
    const qsizetype slash = text.indexOf(QLatin1Char('/'));
    if (slash <= 0)
        return false;
    const QString address = text.left(slash);
    const QString prefix = text.mid(slash + 1);
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,3}$"));
    if (!isAddress(address) || !matchesWhole(prefix, digits))
        return false;
    const int bits = prefix.toInt();
    const bool v6 = address.contains(QLatin1Char(':'));
    return bits <= (v6 ? 128 : 32);
}

bool isPacUrl(const QString &text)
{
    if (text.isEmpty() || text.size() > kMaxUrlLength)
        return false;
    // RFC 3986 characters only; quotes and backslashes are left out on purpose.
    static const QRegularExpression chars(
        QStringLiteral("^[A-Za-z0-9._~:/?#\\[\\]@!$&()*+,;=%-]+$"));
    if (!matchesWhole(text, chars))
        return false;
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid())
        return false;
    const QString scheme = url.scheme();
    if (scheme == QLatin1String("file"))
        return !url.path().isEmpty();
    return (scheme == QLatin1String("http") || scheme == QLatin1String("https")) && !url.host().isEmpty();
}

std::optional<QStringList> exceptionList(const QJsonValue &value, QString *error)
{
    if (!value.isArray()) {
        *error = QStringLiteral("ignoreList must be an array of texts");
        return std::nullopt;
    }
    const QJsonArray array = value.toArray();
    if (array.size() > kMaxIgnoreEntries) {
        *error = QStringLiteral("ignoreList has more than %1 entries").arg(kMaxIgnoreEntries);
        return std::nullopt;
    }
    QStringList entries;
    for (const QJsonValue &entry : array) {
        if (!entry.isString() || !isExceptionEntry(entry.toString())) {
            *error = QStringLiteral("ignoreList holds an entry that is not a host or network");
            return std::nullopt;
        }
        entries.append(entry.toString());
    }
    return entries;
}

} // namespace HelperValidation
