#include "helper/GVariantText.h"

namespace {

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
            if (e == QLatin1Char('n'))
                out += QLatin1Char('\n');
            else if (e == QLatin1Char('t'))
                out += QLatin1Char('\t');
            else
                out += e;
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
