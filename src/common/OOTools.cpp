#include "common/OOTools.h"

#include <QRegularExpression>
#include <QTextBoundaryFinder>

namespace {

// The whole text must match, as with a "SELF MATCHES" predicate. Unicode properties make \d and
// \s mean what they mean in ICU regular expressions.
bool matchesWhole(const QString &text, const QString &pattern)
{
    const QRegularExpression expression(QStringLiteral("\\A(?:%1)\\z").arg(pattern),
                                        QRegularExpression::UseUnicodePropertiesOption);
    return expression.match(text).hasMatch();
}

} // namespace

bool OOTools::isValidEmail(const QString &text)
{
    if (text.isEmpty())
        return false;
    return matchesWhole(text, QStringLiteral("[A-Z0-9a-z._%+-]+@[A-Za-z0-9.-]+\\.[A-Za-z]{3,4}"));
}

bool OOTools::isValidPassword(const QString &text)
{
    return matchesWhole(text, QStringLiteral("^(?![0-9]+$)(?![a-zA-Z]+$)[0-9A-Za-z]{8,16}$"));
}

bool OOTools::isValidPhone(const QString &text)
{
    if (text.isEmpty())
        return false;
    const int length = userPerceivedLength(text);
    if (length < 8 || length > 18)
        return false;
    return matchesWhole(text, QStringLiteral(".*\\d+.*"));
}

bool OOTools::isValidCode(const QString &text)
{
    return matchesWhole(text, QStringLiteral("^\\d{6}$"));
}

int OOTools::userPerceivedLength(const QString &text)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    int count = 0;
    while (finder.toNextBoundary() > 0)
        ++count;
    return count;
}
