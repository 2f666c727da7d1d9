#include "common/Logger.h"

#include "common/AppPaths.h"
#include "common/LogLine.h"

#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QMutex>
#include <QMutexLocker>
#include <QRegularExpression>

#include <spdlog/logger.h>
#include <spdlog/sinks/daily_file_sink.h>
#include <spdlog/sinks/stdout_sinks.h>

#include <chrono>
#include <cstdio>
#include <sys/stat.h>

namespace {

QMutex s_mutex;
std::shared_ptr<spdlog::logger> s_logger;

spdlog::level::level_enum spdLevel(int level)
{
    switch (level) {
    case Logger::Info:
        return spdlog::level::info;
    case Logger::Warning:
        return spdlog::level::warn;
    case Logger::Error:
        return spdlog::level::err;
    case Logger::Debug:
        return spdlog::level::debug;
    default:
        // "silent" and "unknown" lines are kept as well: dropping them would lose what callers
        // chose to record.
        return spdlog::level::trace;
    }
}

// spdlog only trims the folder on a day change and only sees an unbroken run of days, so files
// left from before a gap in use would stay forever. Trim by name (the date sorts as text).
void pruneOldFiles(const QString &folder)
{
    const QFileInfo base(Logger::baseFileName());
    const QRegularExpression pattern(QStringLiteral("^%1_\\d{4}-\\d{2}-\\d{2}\\.%2$")
                                         .arg(QRegularExpression::escape(base.completeBaseName()),
                                              QRegularExpression::escape(base.suffix())));
    QStringList files;
    const QStringList all = QDir(folder).entryList(QDir::Files, QDir::Name);
    for (const QString &name : all) {
        if (pattern.match(name).hasMatch())
            files.append(name);
    }
    while (files.size() > Logger::kKeptFiles)
        QFile::remove(folder + QLatin1Char('/') + files.takeFirst());
}

// The log records the destinations visited: for the user alone, as the rest of the profile. The
// sink opens files itself, so each is narrowed right after it is opened, before the first line.
spdlog::file_event_handlers ownerOnlyFiles()
{
    spdlog::file_event_handlers handlers;
    handlers.after_open = [](const spdlog::filename_t &, std::FILE *stream) {
        if (stream)
            ::fchmod(::fileno(stream), S_IRUSR | S_IWUSR);
    };
    return handlers;
}

// Files written by an earlier version with the umask's rights.
void restrictExistingFiles(const QString &folder)
{
    const QStringList all = QDir(folder).entryList(QDir::Files);
    for (const QString &name : all)
        QFile::setPermissions(folder + QLatin1Char('/') + name, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

std::shared_ptr<spdlog::logger> makeStderrLogger()
{
    auto sink = std::make_shared<spdlog::sinks::stderr_sink_mt>();
    return std::make_shared<spdlog::logger>("ostrel", std::move(sink));
}

std::shared_ptr<spdlog::logger> makeLogger()
{
    std::shared_ptr<spdlog::logger> logger;
    const QString folder = AppPaths::logFolder();
    if (AppPaths::ensureFolder(folder, true)) {
        try {
            const std::string path = (folder + QLatin1Char('/') + Logger::baseFileName()).toStdString();
            auto sink = std::make_shared<spdlog::sinks::daily_file_sink_mt>(
                path, 0, 0, false, static_cast<uint16_t>(Logger::kKeptFiles), ownerOnlyFiles());
            logger = std::make_shared<spdlog::logger>("ostrel", std::move(sink));
            pruneOldFiles(folder);
            restrictExistingFiles(folder);
        } catch (const spdlog::spdlog_ex &error) {
            // The folder's path and the library's text may hold anything a path may.
            const QString why = QStringLiteral("log file unavailable in %1: %2").arg(folder, QString::fromUtf8(error.what()));
            std::fprintf(stderr, "%s\n", qPrintable(LogLine::escaped(why)));
        }
    }
    if (!logger)
        logger = makeStderrLogger();
    // The calendar year ("%Y"), never a week-based year, which is wrong around the new year.
    logger->set_pattern("%Y/%m/%d %H:%M:%S:%e %v");
    logger->set_level(spdlog::level::trace);
    logger->flush_on(spdlog::level::trace);
    // A failed write must not reach the caller; spdlog reports through this handler instead.
    logger->set_error_handler([](const std::string &message) {
        const QString why = QStringLiteral("log write failed: ") + QString::fromStdString(message);
        std::fprintf(stderr, "%s\n", qPrintable(LogLine::escaped(why)));
    });
    return logger;
}

std::shared_ptr<spdlog::logger> currentLogger()
{
    QMutexLocker lock(&s_mutex);
    if (!s_logger)
        s_logger = makeLogger();
    return s_logger;
}

void write(spdlog::log_clock::time_point time, const QString &message, int level, const QString &file,
           const QString &function)
{
    const QByteArray line = Logger::formatLine(message, level, file, function).toUtf8();
    try {
        currentLogger()->log(time, spdlog::source_loc{}, spdLevel(level),
                             spdlog::string_view_t(line.constData(), static_cast<size_t>(line.size())));
    } catch (...) {
        // Logging never fails towards the caller.
    }
}

// The caller holds s_mutex.
void flushLocked()
{
    if (!s_logger)
        return;
    try {
        s_logger->flush();
    } catch (...) {
        // A flush that fails must not reach the caller either.
    }
}

} // namespace

QString Logger::levelName(int level)
{
    switch (level) {
    case Info:
        return QStringLiteral("info");
    case Warning:
        return QStringLiteral("warning");
    case Error:
        return QStringLiteral("error");
    case Debug:
        return QStringLiteral("debug");
    case Silent:
        return QStringLiteral("silent");
    default:
        return QStringLiteral("unknown");
    }
}

QString Logger::sourceFileName(const char *path)
{
    const QString text = QString::fromUtf8(path);
    return text.mid(text.lastIndexOf(QLatin1Char('/')) + 1);
}

QString Logger::functionName(const char *signature)
{
    const QString text = QString::fromUtf8(signature);
    // The name ends at the first parenthesis outside template arguments and starts after the
    // last blank before it (the return type's end).
    int depth = 0;
    int start = 0;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('<'))
            ++depth;
        else if (c == QLatin1Char('>') && depth > 0)
            --depth;
        else if (depth == 0 && c == QLatin1Char(' '))
            start = i + 1;
        else if (depth == 0 && c == QLatin1Char('('))
            return text.mid(start, i - start);
    }
    return text.mid(start);
}

QString Logger::formatLine(const QString &message, int level, const QString &file, const QString &function)
{
    return LogLine::escaped(QLatin1Char('[') + levelName(level) + QStringLiteral("] ") + file + QLatin1Char(' ')
                            + function + QLatin1Char(' ') + message);
}

QString Logger::baseFileName()
{
    return QStringLiteral("ostrel.log");
}

void Logger::log(const QString &message, int level, const QString &file, const QString &function)
{
    write(spdlog::log_clock::now(), message, level, file, function);
}

void Logger::logAt(const QDateTime &time, const QString &message, int level, const QString &file,
                   const QString &function)
{
    const auto point = spdlog::log_clock::time_point(std::chrono::duration_cast<spdlog::log_clock::duration>(
        std::chrono::milliseconds(time.toMSecsSinceEpoch())));
    write(point, message, level, file, function);
}

void Logger::configureConsole()
{
    LogLine::escapeConsole();
    // The user's own rules win, and OSTREL_DEBUG=1 asks for the debug lines.
    if (qEnvironmentVariableIsSet("QT_LOGGING_RULES"))
        return;
    // Qt WebEngine describes its graphics set-up in some twenty lines when the first page shows;
    // nothing a user can act on, so it stays out of the console in every mode.
    const QString quietWebEngine = QStringLiteral("qt.webenginecontext.info=false");
    const QString wanted = qEnvironmentVariable("OSTREL_DEBUG");
    if (!wanted.isEmpty() && wanted != QLatin1String("0")) {
        // Chatty categories (the network's, the web's) are declared with info as their floor;
        // asking for the debug lines asks for theirs too.
        QLoggingCategory::setFilterRules(QStringLiteral("ostrel.*.debug=true\n") + quietWebEngine);
        return;
    }
    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false\n") + quietWebEngine);
}

void Logger::flush()
{
    QMutexLocker lock(&s_mutex);
    flushLocked();
}

void Logger::shutdown()
{
    QMutexLocker lock(&s_mutex);
    flushLocked();
    s_logger.reset();
}
