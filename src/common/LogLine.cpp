#include "common/LogLine.h"

#include <QtMessageHandler>

#include <algorithm>

#include <atomic>
#include <mutex>

namespace {

// The handler escapeConsole() found: Qt's own, or one put there before.
std::atomic<QtMessageHandler> g_next{nullptr};

void escapeThenPass(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (const QtMessageHandler next = g_next.load())
        next(type, context, LogLine::escaped(message));
}

bool isControl(char16_t unit)
{
    return unit < 0x20 || (unit >= 0x7f && unit <= 0x9f);
}

bool isLineSeparator(char16_t unit)
{
    return unit == 0x2028 || unit == 0x2029;
}

QString hex(char16_t unit, int digits)
{
    return QString::number(unit, 16).rightJustified(digits, QLatin1Char('0'));
}

} // namespace

QString LogLine::escaped(const QString &text)
{
    const bool plain = std::none_of(text.cbegin(), text.cend(), [](QChar c) {
        return isControl(c.unicode()) || isLineSeparator(c.unicode());
    });
    if (plain)
        return text;
    QString line;
    line.reserve(text.size());
    for (const QChar c : text) {
        const char16_t unit = c.unicode();
        if (unit == u'\n')
            line += QLatin1String("\\n");
        else if (unit == u'\r')
            line += QLatin1String("\\r");
        else if (unit == u'\t')
            line += QLatin1String("\\t");
        else if (isControl(unit))
            line += QLatin1String("\\x") + hex(unit, 2);
        else if (isLineSeparator(unit))
            line += QLatin1String("\\u") + hex(unit, 4);
        else
            line += c;
    }
    return line;
}

void LogLine::escapeConsole()
{
    static std::once_flag once;
    std::call_once(once, [] { g_next.store(qInstallMessageHandler(escapeThenPass)); });
}
