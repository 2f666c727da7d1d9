#pragma once

#include <QDateTime>
#include <QString>

#include <memory>

// The program's rolling file log: one file per day in AppPaths::logFolder(), the newest three
// kept, readable by the user alone. Each line reads "<yyyy/MM/dd HH:mm:ss:SSS> [level] file function message".
//
// Write lines with OSTREL_LOG, which fills in the file and function columns from the code itself,
// so that no column is typed by hand and none drifts from the code it names. The few lines that
// support reads by a fixed name (the proxy switchboard's and the helper manager's, e.g.
// "HLLPACUtilWrapper applyConfig(_:)") use OSTREL_LOG_AS, which states both columns.
//
// Logging never fails towards the caller: when the folder cannot be made or written, lines go to
// standard error instead. Safe to call from any thread. Secrets must not be passed in. Text from
// outside (another program's error output, a service's message) may be passed as it came: each
// line is escaped once as it is written (LogLine), so it stays one line whatever it holds.
class Logger
{
public:
    enum Level { Info = 0, Warning = 1, Error = 2, Debug = 3, Silent = 4, Unknown = 5 };

    static void log(const QString &message, int level, const QString &file, const QString &function);

    // "src/vpn/HLLShadowsocks.cpp" -> "HLLShadowsocks.cpp".
    static QString sourceFileName(const char *path);
    // The qualified name out of a compiler's function signature: "void A::b(int) const" -> "A::b";
    // inside a lambda, the function that holds it ("A::b()::<lambda()>" -> "A::b").
    static QString functionName(const char *signature);

    // "info", "warning", "error", "debug", "silent", "unknown"; a level outside 0..5 is "unknown".
    static QString levelName(int level);
    // The text after the timestamp, its control characters escaped (LogLine::escaped).
    static QString formatLine(const QString &message, int level, const QString &file,
                              const QString &function);

    static constexpr int kKeptFiles = 3;
    // "ostrel.log" becomes "ostrel_YYYY-MM-DD.log" for each day.
    static QString baseFileName();

    // For tests: write a line as if it were logged at the given time (drives day rotation).
    static void logAt(const QDateTime &time, const QString &message, int level, const QString &file,
                      const QString &function);
    // For tests and shutdown: flush and close the file, so the next line opens it again (in the
    // log folder as it is then).
    static void shutdown();
    static void flush();

    // Qt's console debug lines (the host in use, each road's steps) are for debugging only: they
    // are turned off unless OSTREL_DEBUG is set (not "0"), which turns on every ostrel.*
    // category's, or the user set QT_LOGGING_RULES, which is then left to decide alone. The
    // console's lines are escaped as the file's are (LogLine::escapeConsole).
    // Called once by the executable at start.
    static void configureConsole();
};

// One line of the file log from the place that calls it; `level` is a Logger::Level.
#define OSTREL_LOG(level, message)                                                                   \
    Logger::log((message), (level), Logger::sourceFileName(__FILE__),                                \
                Logger::functionName(static_cast<const char *>(__PRETTY_FUNCTION__)))

// The same line under the file and function names given (string literals), kept whatever the
// code around it is called.
#define OSTREL_LOG_AS(level, file, function, message)                                                \
    Logger::log((message), (level), QStringLiteral(file), QStringLiteral(function))
