#pragma once

#include <QDateTime>
#include <QString>

#include <memory>

// The program's rolling file log: one file per day in AppPaths::logFolder(), the newest three
// kept, readable by the user alone. Each line reads "<yyyy/MM/dd HH:mm:ss:SSS> [level] file function message".
//
// Logging never fails towards the caller: when the folder cannot be made or written, lines go to
// standard error instead. Safe to call from any thread. Secrets must not be passed in.
class Logger
{
public:
    enum Level { Info = 0, Warning = 1, Error = 2, Debug = 3, Silent = 4, Unknown = 5 };

    static void log(const QString &message, int level, const QString &file, const QString &function);

    // "info", "warning", "error", "debug", "silent", "unknown"; a level outside 0..5 is "unknown".
    static QString levelName(int level);
    // The text after the timestamp.
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
    // are turned off unless OSTREL_DEBUG is set (not "0") or the user set QT_LOGGING_RULES.
    // Called once by the executable at start.
    static void configureConsole();
};
