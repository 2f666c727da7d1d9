#include "common/AppPaths.h"
#include "common/LogLine.h"
#include "common/Logger.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <QTemporaryFile>
#include <QThread>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <vector>

#include <unistd.h>

namespace {

QString logFileFor(const QDate &date)
{
    return AppPaths::logFolder() + QStringLiteral("/ostrel_") + date.toString(QStringLiteral("yyyy-MM-dd"))
           + QStringLiteral(".log");
}

QStringList readLines(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QStringList logFiles()
{
    return QDir(AppPaths::logFolder()).entryList({QStringLiteral("ostrel_*.log")}, QDir::Files, QDir::Name);
}

// What a helper's refusal may carry: gsettings' own error output spans lines, and a text from
// outside may hold a made-up entry, a terminal's escape sequence, any control character.
const QString kForged = QStringLiteral("could not set the key: (gsettings:42): error\n"
                                       "2024/01/01 00:00:00:000 [info] HelperClient restore back as before\r\n"
                                       "\tnext\x1b[31m red\x7f\u0085\u2028\u2029 a Windows path C:\\Users\\me\x01")
                        + QChar(0);
const QString kForgedEscaped =
    QStringLiteral("could not set the key: (gsettings:42): error\\n"
                   "2024/01/01 00:00:00:000 [info] HelperClient restore back as before\\r\\n"
                   "\\tnext\\x1b[31m red\\x7f\\x85\\u2028\\u2029 a Windows path C:\\Users\\me\\x01\\x00");

struct LogSite
{
    static void fromMember() { OSTREL_LOG(Logger::Info, QStringLiteral("member")); }
    static std::optional<int> fromLambda()
    {
        auto inner = [](int) { OSTREL_LOG(Logger::Error, QStringLiteral("lambda")); };
        inner(1);
        return std::nullopt;
    }
};

class LoggerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Logger::shutdown();
        QDir(AppPaths::logFolder()).removeRecursively();
        QFile::remove(AppPaths::logFolder());
    }
    void TearDown() override { Logger::shutdown(); }
};

TEST_F(LoggerTest, LevelNames)
{
    const QStringList expected = {QStringLiteral("info"),  QStringLiteral("warning"), QStringLiteral("error"),
                                  QStringLiteral("debug"), QStringLiteral("silent"),  QStringLiteral("unknown")};
    for (int level = 0; level < expected.size(); ++level)
        EXPECT_EQ(Logger::levelName(level), expected.at(level));
    EXPECT_EQ(Logger::levelName(-1), QStringLiteral("unknown"));
    EXPECT_EQ(Logger::levelName(6), QStringLiteral("unknown"));
}

TEST_F(LoggerTest, LineCarriesTimestampLevelFileFunctionAndMessage)
{
    Logger::log(QStringLiteral("installation {} 100% done"), Logger::Warning, QStringLiteral("PrivilegedHelperManager"),
                QStringLiteral("checkInstall()"));
    Logger::log(QStringLiteral("quiet"), Logger::Silent, QStringLiteral("F"), QStringLiteral("f()"));
    Logger::flush();

    const QStringList lines = readLines(logFileFor(QDate::currentDate()));
    ASSERT_EQ(lines.size(), 2);
    const QRegularExpression format(QStringLiteral(
        "^\\d{4}/\\d{2}/\\d{2} \\d{2}:\\d{2}:\\d{2}:\\d{3} "
        "\\[warning\\] PrivilegedHelperManager checkInstall\\(\\) installation \\{\\} 100% done$"));
    EXPECT_TRUE(format.match(lines.at(0)).hasMatch()) << lines.at(0).toStdString();
    EXPECT_TRUE(lines.at(0).startsWith(QDate::currentDate().toString(QStringLiteral("yyyy/MM/dd"))));
    EXPECT_TRUE(lines.at(1).endsWith(QStringLiteral("[silent] F f() quiet")));
}

TEST_F(LoggerTest, TimestampUsesTheCalendarYearAtTheTurnOfTheYear)
{
    // 30 December 2024 belongs to week 1 of 2025; the log must still say 2024.
    Logger::logAt(QDateTime(QDate(2024, 12, 30), QTime(23, 59, 58, 7)), QStringLiteral("m"), Logger::Info,
                  QStringLiteral("F"), QStringLiteral("f()"));
    Logger::flush();
    const QStringList lines = readLines(logFileFor(QDate::currentDate()));
    ASSERT_EQ(lines.size(), 1);
    EXPECT_EQ(lines.at(0), QStringLiteral("2024/12/30 23:59:58:007 [info] F f() m"));
}

TEST_F(LoggerTest, OneFilePerDayAndOnlyTheNewestThreeKept)
{
    const QDateTime now = QDateTime::currentDateTime();
    Logger::log(QStringLiteral("day 0"), Logger::Info, QStringLiteral("F"), QStringLiteral("f()"));
    for (int day = 1; day <= 3; ++day)
        Logger::logAt(now.addDays(day), QStringLiteral("day %1").arg(day), Logger::Info, QStringLiteral("F"),
                      QStringLiteral("f()"));
    Logger::flush();

    const QStringList expected = {QFileInfo(logFileFor(now.date().addDays(1))).fileName(),
                                  QFileInfo(logFileFor(now.date().addDays(2))).fileName(),
                                  QFileInfo(logFileFor(now.date().addDays(3))).fileName()};
    EXPECT_EQ(logFiles(), expected);
    EXPECT_TRUE(readLines(logFileFor(now.date().addDays(3))).first().endsWith(QStringLiteral("day 3")));
}

TEST_F(LoggerTest, FilesLeftFromLongAgoAreTrimmedAtStart)
{
    ASSERT_TRUE(AppPaths::ensureFolder(AppPaths::logFolder()));
    const QStringList old = {QStringLiteral("ostrel_2001-01-01.log"), QStringLiteral("ostrel_2001-01-05.log"),
                             QStringLiteral("ostrel_2001-02-01.log"), QStringLiteral("ostrel_2001-03-01.log"),
                             QStringLiteral("notes.txt")};
    for (const QString &name : old) {
        QFile file(AppPaths::logFolder() + QLatin1Char('/') + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("old\n");
    }

    Logger::log(QStringLiteral("now"), Logger::Info, QStringLiteral("F"), QStringLiteral("f()"));

    const QStringList expected = {QStringLiteral("ostrel_2001-02-01.log"), QStringLiteral("ostrel_2001-03-01.log"),
                                  QFileInfo(logFileFor(QDate::currentDate())).fileName()};
    EXPECT_EQ(logFiles(), expected);
    EXPECT_TRUE(QFile::exists(AppPaths::logFolder() + QStringLiteral("/notes.txt")));
}

TEST_F(LoggerTest, UnusableFolderNeverFailsTheCaller)
{
    // A plain file where the folder should be: the folder cannot be made.
    ASSERT_TRUE(AppPaths::ensureFolder(AppPaths::cachesFolder()));
    {
        QFile blocker(AppPaths::logFolder());
        ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    }
    Logger::log(QStringLiteral("to stderr"), Logger::Error, QStringLiteral("F"), QStringLiteral("f()"));
    Logger::flush();
    EXPECT_TRUE(QFileInfo(AppPaths::logFolder()).isFile());
}

TEST_F(LoggerTest, ConcurrentWritersProduceWholeLines)
{
    constexpr int kThreads = 4;
    constexpr int kLines = 200;
    std::vector<std::unique_ptr<QThread>> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back(QThread::create([t] {
            for (int i = 0; i < kLines; ++i)
                Logger::log(QStringLiteral("thread %1 line %2").arg(t).arg(i), Logger::Debug, QStringLiteral("F"),
                            QStringLiteral("f()"));
        }));
        threads.back()->start();
    }
    for (auto &thread : threads)
        ASSERT_TRUE(thread->wait(10000));
    Logger::flush();

    const QStringList lines = readLines(logFileFor(QDate::currentDate()));
    EXPECT_EQ(lines.size(), kThreads * kLines);
    const QRegularExpression format(QStringLiteral("^\\S+ \\S+ \\[debug\\] F f\\(\\) thread \\d line \\d+$"));
    for (const QString &line : lines)
        ASSERT_TRUE(format.match(line).hasMatch()) << line.toStdString();
}

} // namespace

TEST_F(LoggerTest, TextFromOutsideIsOneLineOfTheFileWhateverItHolds)
{
    Logger::log(kForged, Logger::Info, QStringLiteral("HLLPACUtilWrapper"), QStringLiteral("stopLocal(_:)"));
    Logger::log(QStringLiteral("after"), Logger::Info, QStringLiteral("F"), QStringLiteral("f()"));
    Logger::flush();

    QFile file(logFileFor(QDate::currentDate()));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    // Each entry ends at the one line break the log writes after it.
    const QList<QByteArray> lines = bytes.split('\n');
    ASSERT_EQ(lines.size(), 3) << bytes.toStdString();
    EXPECT_TRUE(lines.at(2).isEmpty());
    EXPECT_TRUE(QString::fromUtf8(lines.at(0)).endsWith(QStringLiteral("[info] HLLPACUtilWrapper stopLocal(_:) ")
                                                        + kForgedEscaped))
        << lines.at(0).toStdString();
    EXPECT_TRUE(lines.at(1).endsWith("[info] F f() after")) << lines.at(1).toStdString();
}

TEST_F(LoggerTest, FilesAreForTheUserAloneAlsoWhenLeftMoreOpen)
{
    // A file from an earlier run with the umask's rights, then today's file made by the sink.
    ASSERT_TRUE(AppPaths::ensureFolder(AppPaths::logFolder(), true));
    const QString old = logFileFor(QDate::currentDate().addDays(-1));
    {
        QFile file(old);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("2020/01/01 00:00:00:000 [info] a b visited host.example\n");
    }
    QFile::setPermissions(old, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup
                                   | QFileDevice::ReadOther);
    Logger::log(QStringLiteral("visited host.example"), Logger::Info, QStringLiteral("f"), QStringLiteral("g"));
    Logger::flush();
    const QFileDevice::Permissions ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                               | QFileDevice::ReadUser | QFileDevice::WriteUser;
    for (const QString &name : logFiles()) {
        const QString path = AppPaths::logFolder() + QLatin1Char('/') + name;
        EXPECT_EQ(QFile::permissions(path), ownerOnly) << path.toStdString();
    }
    EXPECT_EQ(logFiles().size(), 2);
}

TEST(ConsoleLogTest, DebugLinesOnlyWhenAskedFor)
{
    const QByteArray rules = qgetenv("QT_LOGGING_RULES");
    const QByteArray debug = qgetenv("OSTREL_DEBUG");
    qunsetenv("QT_LOGGING_RULES");
    qunsetenv("OSTREL_DEBUG");
    QLoggingCategory::setFilterRules(QString());
    Logger::configureConsole();
    EXPECT_FALSE(QLoggingCategory::defaultCategory()->isDebugEnabled());
    EXPECT_TRUE(QLoggingCategory::defaultCategory()->isWarningEnabled());
    // A category of ours declared with info as its floor, as the network's and the web's are.
    QLoggingCategory infoFloor("ostrel.network", QtInfoMsg);
    EXPECT_FALSE(infoFloor.isDebugEnabled());
    EXPECT_TRUE(infoFloor.isInfoEnabled());
    // The web engine's graphics report at the first page, in either mode.
    QLoggingCategory webEngineContext("qt.webenginecontext");
    EXPECT_FALSE(webEngineContext.isInfoEnabled());
    EXPECT_TRUE(webEngineContext.isWarningEnabled());

    QLoggingCategory::setFilterRules(QString());
    qputenv("OSTREL_DEBUG", "1");
    Logger::configureConsole();
    EXPECT_TRUE(QLoggingCategory::defaultCategory()->isDebugEnabled());
    EXPECT_TRUE(infoFloor.isDebugEnabled()) << "OSTREL_DEBUG=1 left a category of ours at info";
    EXPECT_FALSE(webEngineContext.isInfoEnabled());

    // The user's own rules decide alone.
    QLoggingCategory::setFilterRules(QString());
    qputenv("QT_LOGGING_RULES", "ostrel.network.debug=false");
    Logger::configureConsole();
    EXPECT_FALSE(infoFloor.isDebugEnabled()) << "OSTREL_DEBUG=1 overrode the user's QT_LOGGING_RULES";
    qunsetenv("QT_LOGGING_RULES");

    QLoggingCategory::setFilterRules(QString());
    if (!rules.isNull())
        qputenv("QT_LOGGING_RULES", rules);
    if (debug.isNull())
        qunsetenv("OSTREL_DEBUG");
    else
        qputenv("OSTREL_DEBUG", debug);
}

TEST(ConsoleLogTest, TextFromOutsideIsOneLineOfTheConsoleWhateverItHolds)
{
    const QByteArray rules = qgetenv("QT_LOGGING_RULES");
    qunsetenv("QT_LOGGING_RULES");
    Logger::configureConsole();
    // Called again (as by a second start of the console), the console's lines are still escaped
    // once.
    Logger::configureConsole();

    // The console is this program's error output: caught in a file for the two lines.
    QTemporaryFile caught;
    ASSERT_TRUE(caught.open());
    std::fflush(stderr);
    const int console = ::dup(STDERR_FILENO);
    ASSERT_GE(console, 0);
    ASSERT_GE(::dup2(caught.handle(), STDERR_FILENO), 0);
    qWarning().noquote() << kForged;
    // A quoted string Qt's debug stream escaped itself keeps its escapes as they are.
    qWarning() << QStringLiteral("quoted\nby Qt");
    std::fflush(stderr);
    ::dup2(console, STDERR_FILENO);
    ::close(console);

    QLoggingCategory::setFilterRules(QString());
    if (!rules.isNull())
        qputenv("QT_LOGGING_RULES", rules);

    caught.seek(0);
    const QByteArray bytes = caught.readAll();
    const QList<QByteArray> lines = bytes.split('\n');
    ASSERT_EQ(lines.size(), 3) << bytes.toStdString();
    EXPECT_TRUE(QString::fromUtf8(lines.at(0)).endsWith(kForgedEscaped)) << lines.at(0).toStdString();
    EXPECT_TRUE(lines.at(1).endsWith("\"quoted\\nby Qt\"")) << lines.at(1).toStdString();
}

TEST_F(LoggerTest, MacroFillsInFileAndFunctionFromTheCode)
{
    LogSite::fromMember();
    LogSite::fromLambda();
    Logger::flush();
    const QStringList lines = readLines(logFileFor(QDate::currentDate()));
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines.at(0).endsWith(QStringLiteral("[info] LoggerTest.cpp {anonymous}::LogSite::fromMember member")))
        << lines.at(0).toStdString();
    // Inside a lambda the function column names the function that holds it.
    EXPECT_TRUE(lines.at(1).endsWith(QStringLiteral("[error] LoggerTest.cpp {anonymous}::LogSite::fromLambda lambda")))
        << lines.at(1).toStdString();

    EXPECT_EQ(Logger::functionName("std::optional<QMap<int, QString> > A::b(int) const"), QStringLiteral("A::b"));
    EXPECT_EQ(Logger::functionName("void f()"), QStringLiteral("f"));
    EXPECT_EQ(Logger::sourceFileName("/a/b/c/File.cpp"), QStringLiteral("File.cpp"));
    EXPECT_EQ(Logger::sourceFileName("File.cpp"), QStringLiteral("File.cpp"));
}
