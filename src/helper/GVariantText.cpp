#include "helper/GVariantText.h"

namespace {

// The character a backslash and `e` stand for, as GLib's parser reads them: the C letters, else
// the character itself (a quote, a backslash).
QChar unescaped(QChar e)
{
    switch (e.unicode()) {
    case 'a':
        return QChar(0x07);
    case 'b':
        return QChar(0x08);
    case 'f':
        return QChar(0x0c);
    case 'n':
        return QChar(0x0a);
    case 'r':
        return QChar(0x0d);
    case 't':
        return QChar(0x09);
    case 'v':
        return QChar(0x0b);
    default:
        return e;
    }
}

// The `digits` hex digits after text[pos] (the 'u' or 'U'); pos ends on the last of them.
std::optional<char32_t> readHex(const QString &text, qsizetype &pos, int digits)
{
    if (pos + digits >= text.size())
        return std::nullopt;
    bool ok = false;
    const uint code = text.mid(pos + 1, digits).toUInt(&ok, 16);
    if (!ok || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return std::nullopt;
    pos += digits;
    return char32_t(code);
}

// Characters written as \uXXXX: the control characters (C0, DEL, C1) and the line and paragraph
// separators, which the parser takes escaped, and which a raw value must never carry into a
// store's text or a saved copy.
bool writtenEscaped(QChar c)
{
    const char16_t u = c.unicode();
    return u < 0x20 || (u >= 0x7f && u <= 0x9f) || u == 0x2028 || u == 0x2029;
}

// Reads one quoted string starting at text[pos]; pos ends after the closing quote.
std::optional<QString> readQuoted(const QString &text, qsizetype &pos)
{
    if (pos >= text.size())
        return std::nullopt;
    const QChar quote = text.at(pos);
    if (quote != QLatin1Char('\'') && quote != QLatin1Char('"'))
        return std::nullopt;
    QString out;
    for (++pos; pos < text.size(); ++pos) {
        const QChar c = text.at(pos);
        if (c == quote) {
            ++pos;
            return out;
        }
        if (c == QLatin1Char('\\')) {
            if (++pos >= text.size())
                return std::nullopt;
            const QChar e = text.at(pos);
            if (e == QLatin1Char('u') || e == QLatin1Char('U')) {
                const std::optional<char32_t> code = readHex(text, pos, e == QLatin1Char('u') ? 4 : 8);
                if (!code)
                    return std::nullopt;
                out += QString::fromUcs4(&*code, 1);
                continue;
            }
            out += unescaped(e);
            continue;
        }
        out += c;
    }
    return std::nullopt;
}

void skipSpaces(const QString &text, qsizetype &pos)
{
    while (pos < text.size() && text.at(pos).isSpace())
        ++pos;
}

} // namespace

namespace GVariantText {

QString quote(const QString &text)
{
    QString out = QStringLiteral("'");
    for (const QChar c : text) {
        if (writtenEscaped(c)) {
            out += QStringLiteral("\\u%1").arg(int(c.unicode()), 4, 16, QLatin1Char('0'));
            continue;
        }
        if (c == QLatin1Char('\\') || c == QLatin1Char('\''))
            out += QLatin1Char('\\');
        out += c;
    }
    return out + QLatin1Char('\'');
}

QString stringArray(const QStringList &list)
{
    if (list.isEmpty())
        return QStringLiteral("@as []");
    QStringList quoted;
    for (const QString &entry : list)
        quoted.append(quote(entry));
    return QLatin1Char('[') + quoted.join(QStringLiteral(", ")) + QLatin1Char(']');
}

std::optional<QString> parseString(const QString &text)
{
    const QString trimmed = text.trimmed();
    qsizetype pos = 0;
    const std::optional<QString> value = readQuoted(trimmed, pos);
    if (!value || pos != trimmed.size())
        return std::nullopt;
    return value;
}

std::optional<QStringList> parseStringArray(const QString &text)
{
    QString trimmed = text.trimmed();
    if (trimmed.startsWith(QLatin1String("@as")))
        trimmed = trimmed.mid(3).trimmed();
    if (!trimmed.startsWith(QLatin1Char('[')) || !trimmed.endsWith(QLatin1Char(']')))
        return std::nullopt;
    QStringList list;
    qsizetype pos = 1;
    const qsizetype end = trimmed.size() - 1;
    skipSpaces(trimmed, pos);
    while (pos < end) {
        const std::optional<QString> entry = readQuoted(trimmed, pos);
        if (!entry)
            return std::nullopt;
        list.append(*entry);
        skipSpaces(trimmed, pos);
        if (pos < end && trimmed.at(pos) != QLatin1Char(','))
            return std::nullopt;
        if (pos < end)
            ++pos;
        skipSpaces(trimmed, pos);
    }
    return list;
}

std::optional<int> parseInt(const QString &text)
{
    bool ok = false;
    QString trimmed = text.trimmed();
    // Typed forms such as "int32 8080" also occur.
    const qsizetype space = trimmed.lastIndexOf(QLatin1Char(' '));
    if (space >= 0)
        trimmed = trimmed.mid(space + 1);
    const int value = trimmed.toInt(&ok);
    if (!ok)
        return std::nullopt;
    return value;
}

} // namespace GVariantText
