#include "common/UrlUtils.h"
#include "common/CommonLog.h"

#include <QDebug>
#include <QRegularExpression>

namespace {

// Query items are split by hand: a parser that turns "a" into ("a", "") would make a bare name
// look like an empty value, and "+" must stay "+".
std::optional<QString> valueInQuery(const QString &encodedQuery, const QString &name)
{
    const QStringList items = encodedQuery.split(QLatin1Char('&'));
    for (const QString &item : items) {
        const qsizetype equals = item.indexOf(QLatin1Char('='));
        const QString itemName = QUrl::fromPercentEncoding((equals < 0 ? item : item.left(equals)).toUtf8());
        if (itemName != name)
            continue;
        if (equals < 0)
            return std::nullopt;
        return QUrl::fromPercentEncoding(item.mid(equals + 1).toUtf8());
    }
    return std::nullopt;
}

} // namespace

namespace UrlUtils {

std::optional<QString> urlQueryValue(const QUrl &url, const QString &name)
{
    if (!url.isValid() || !url.hasQuery())
        return std::nullopt;
    return valueInQuery(url.query(QUrl::FullyEncoded), name);
}

std::optional<QString> urlQueryValueFromString(const QString &name, const QString &urlText)
{
    const QUrl url(urlText, QUrl::StrictMode);
    if (urlText.isEmpty() || !url.isValid()) {
        qCDebug(lcCommon) << "Invalid URL";
        return std::nullopt;
    }
    std::optional<QString> value;
    if (url.hasQuery())
        value = valueInQuery(url.query(QUrl::FullyEncoded), name);
    if (!value)
        qCDebug(lcCommon) << "Key 'setting' not found";
    return value;
}

bool isAbsoluteUrlText(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral("\\A(?:[a-zA-z]+://[^\\s]*)\\z"),
                                            QRegularExpression::UseUnicodePropertiesOption);
    return pattern.match(text).hasMatch();
}

QString onDomain(const QString &domain, const QString &address)
{
    if (isAbsoluteUrlText(address))
        return address;
    return domain + (address.startsWith(QLatin1Char('/')) ? address : QLatin1Char('/') + address);
}

} // namespace UrlUtils
