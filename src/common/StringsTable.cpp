#include "common/StringsTable.h"

#include <QFile>
#include <QStringDecoder>

namespace {

class Parser
{
public:
    explicit Parser(const QString &text)
        : m_text(text)
    {
    }

    QHash<QString, QString> run(QStringList *problems)
    {
        QHash<QString, QString> table;
        while (true) {
            if (!skipSpaceAndComments()) {
                note(problems, QStringLiteral("unterminated comment"));
                break;
            }
            if (atEnd())
                break;
            const qsizetype start = m_pos;
            const int line = lineAt(start);
            QString key;
            QString value;
            if (readEntry(key, value)) {
                table.insert(key, value);
                continue;
            }
            if (problems)
                problems->append(QStringLiteral("line %1: %2").arg(line).arg(m_error));
            skipToNextLine(start);
        }
        return table;
    }

private:
    bool atEnd() const { return m_pos >= m_text.size(); }
    QChar peek(qsizetype ahead = 0) const
    {
        return m_pos + ahead < m_text.size() ? m_text.at(m_pos + ahead) : QChar();
    }

    void note(QStringList *problems, const QString &what) const
    {
        if (problems)
            problems->append(QStringLiteral("line %1: %2").arg(lineAt(m_pos)).arg(what));
    }

    int lineAt(qsizetype pos) const
    {
        return 1 + static_cast<int>(QStringView(m_text).left(pos).count(QLatin1Char('\n')));
    }

    // False only for a comment that never ends.
    bool skipSpaceAndComments()
    {
        while (!atEnd()) {
            const QChar c = peek();
            if (c.isSpace() || c == QChar(0xFEFF)) {
                ++m_pos;
            } else if (c == QLatin1Char('/') && peek(1) == QLatin1Char('*')) {
                const qsizetype end = m_text.indexOf(QStringLiteral("*/"), m_pos + 2);
                if (end < 0) {
                    m_pos = m_text.size();
                    return false;
                }
                m_pos = end + 2;
            } else if (c == QLatin1Char('/') && peek(1) == QLatin1Char('/')) {
                const qsizetype end = m_text.indexOf(QLatin1Char('\n'), m_pos);
                m_pos = end < 0 ? m_text.size() : end + 1;
            } else {
                return true;
            }
        }
        return true;
    }

    // Comments may sit between tokens, but an entry that runs onto another line is taken only
    // when its tokens really are well formed.
    bool readEntry(QString &key, QString &value)
    {
        if (!readToken(key))
            return false;
        if (!skipSpaceAndComments() || peek() != QLatin1Char('='))
            return fail(QStringLiteral("expected '=' after the key"));
        ++m_pos;
        if (!skipSpaceAndComments() || !readToken(value))
            return false;
        if (!skipSpaceAndComments() || peek() != QLatin1Char(';'))
            return fail(QStringLiteral("expected ';' after the value"));
        ++m_pos;
        return true;
    }

    bool readToken(QString &out)
    {
        if (peek() == QLatin1Char('"'))
            return readQuoted(out);
        return readBare(out);
    }

    bool readBare(QString &out)
    {
        const qsizetype start = m_pos;
        while (!atEnd()) {
            const QChar c = peek();
            if (!(c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('.') || c == QLatin1Char('-')))
                break;
            ++m_pos;
        }
        if (m_pos == start)
            return fail(QStringLiteral("expected a quoted text"));
        out = m_text.mid(start, m_pos - start);
        return true;
    }

    bool readQuoted(QString &out)
    {
        ++m_pos; // opening quote
        out.clear();
        while (!atEnd()) {
            const QChar c = peek();
            ++m_pos;
            if (c == QLatin1Char('"'))
                return true;
            if (c != QLatin1Char('\\')) {
                out.append(c);
                continue;
            }
            if (atEnd())
                break;
            if (!readEscape(out))
                return false;
        }
        return fail(QStringLiteral("unterminated quoted text"));
    }

    bool readEscape(QString &out)
    {
        const QChar e = peek();
        ++m_pos;
        switch (e.unicode()) {
        case 'n':
            out.append(QLatin1Char('\n'));
            return true;
        case 't':
            out.append(QLatin1Char('\t'));
            return true;
        case 'r':
            out.append(QLatin1Char('\r'));
            return true;
        case '0':
            out.append(QChar(0));
            return true;
        case 'u':
        case 'U':
            return readUnicodeEscape(out);
        default:
            // \" \\ \' and any other character stand for themselves.
            out.append(e);
            return true;
        }
    }

    bool readUnicodeEscape(QString &out)
    {
        if (m_pos + 4 > m_text.size())
            return fail(QStringLiteral("short \\u escape"));
        bool ok = false;
        const uint code = m_text.mid(m_pos, 4).toUInt(&ok, 16);
        if (!ok)
            return fail(QStringLiteral("bad \\u escape"));
        m_pos += 4;
        out.append(QChar(static_cast<char16_t>(code)));
        return true;
    }

    bool fail(const QString &error)
    {
        m_error = error;
        return false;
    }

    void skipToNextLine(qsizetype from)
    {
        const qsizetype end = m_text.indexOf(QLatin1Char('\n'), from);
        m_pos = end < 0 ? m_text.size() : end + 1;
    }

    const QString &m_text;
    qsizetype m_pos = 0;
    QString m_error;
};

QString decode(const QByteArray &bytes)
{
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        auto decoder = QStringDecoder(bytes.startsWith("\xFF\xFE") ? QStringDecoder::Utf16LE
                                                                   : QStringDecoder::Utf16BE);
        return decoder(bytes.mid(2));
    }
    return QString::fromUtf8(bytes);
}

} // namespace

QHash<QString, QString> StringsTable::parse(const QString &text, QStringList *problems)
{
    return Parser(text).run(problems);
}

std::optional<QHash<QString, QString>> StringsTable::parseFile(const QString &path, QStringList *problems)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return parse(decode(file.readAll()), problems);
}
