// A case that cannot run for want of something outside its program makes ctest count the program
// as skipped, never as passed, and never when another case of it failed or the program left a
// process running; a case skipped plainly, for no such want, leaves the program passed. The probe
// runs under ctest with the properties this build gives its own tests. A case of the helper's
// tests that wants its tools goes through the same road.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>
#include <utility>

#include "support/WantedSkip.h"

namespace {

const QString kProbe = QStringLiteral(OSTREL_BINARY_DIR "/bin/skip-probe");
const QString kOwnTestFile = QStringLiteral(OSTREL_BINARY_DIR "/tests/CTestTestfile.cmake");
const QString kOwnName = QStringLiteral("common_WantedSkipTest");
// The helper's tests of its gsettings backend, built beside this program (tests/test_entry.cmake):
// each case of the suite needs dbus-run-session and gsettings.
const QString kGSettingsProgram = QStringLiteral(OSTREL_BINARY_DIR "/bin/helper_GSettingsBackendTest");
const QString kGSettingsSuite = QStringLiteral("GSettingsBackendTest");
const QString kGSettingsCase = QStringLiteral("GSettingsBackendTest.RoundTripUnderAPrivateSessionBus");

// The properties this build gives its tests, as ctest reads them for this program, given to the
// probe under the name "skip_probe".
std::optional<QString> probeTestFile()
{
    QFile own(kOwnTestFile);
    if (!own.open(QIODevice::ReadOnly))
        return std::nullopt;
    // CMake writes the name bare or in brackets, as its version does.
    const QRegularExpression properties(QStringLiteral("^set_tests_properties\\((?:\\[=\\[)?%1(?:\\]=\\])? (.*)$")
                                            .arg(QRegularExpression::escape(kOwnName)));
    for (const QString &line : QString::fromUtf8(own.readAll()).split(QLatin1Char('\n'))) {
        const QRegularExpressionMatch match = properties.match(line);
        if (!match.hasMatch())
            continue;
        return QStringLiteral("add_test(skip_probe \"%1\")\n").arg(kProbe) + QStringLiteral("set_tests_properties(skip_probe ")
               + match.captured(1) + QLatin1Char('\n');
    }
    return std::nullopt;
}

struct CtestRun
{
    int exitCode = -1;
    QString verdict; // "Passed", "Skipped", "Failed" or what else ctest printed
    QString output;
};

// What the probe's cases do (SkipProbe.cpp), and whether a missing tool is required here.
struct ProbeCases
{
    bool want = false;
    bool fail = false;
    bool toolsRequired = false;
    bool plainSkip = false;
    bool leave = false;
};

QString flag(bool on)
{
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

// Runs the probe under ctest, its cases doing what `cases` says.
CtestRun runUnderCtest(const ProbeCases &cases)
{
    CtestRun run;
    QTemporaryDir folder;
    const std::optional<QString> testFile = probeTestFile();
    if (!folder.isValid() || !testFile) {
        run.output = QStringLiteral("no test file for the probe: ") + kOwnTestFile;
        return run;
    }
    QFile file(folder.filePath(QStringLiteral("CTestTestfile.cmake")));
    if (!file.open(QIODevice::WriteOnly) || file.write(testFile->toUtf8()) < 0)
        return run;
    file.close();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("OSTREL_TEST_PROBE_WANT"), flag(cases.want));
    environment.insert(QStringLiteral("OSTREL_TEST_PROBE_FAIL"), flag(cases.fail));
    environment.insert(QStringLiteral("OSTREL_TEST_TOOLS_REQUIRED"), flag(cases.toolsRequired));
    environment.insert(QStringLiteral("OSTREL_TEST_PROBE_PLAIN_SKIP"), flag(cases.plainSkip));
    environment.insert(QStringLiteral("OSTREL_TEST_PROBE_LEAVE"), flag(cases.leave));
    QProcess ctest;
    ctest.setProcessEnvironment(environment);
    ctest.setWorkingDirectory(folder.path());
    ctest.setProcessChannelMode(QProcess::MergedChannels);
    ctest.start(QStringLiteral("ctest"), {QStringLiteral("--output-on-failure")});
    if (!ctest.waitForFinished(120000) || ctest.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = ctest.exitCode();
    run.output = QString::fromLocal8Bit(ctest.readAll());
    const QRegularExpressionMatch verdict =
        QRegularExpression(QStringLiteral("Test +#1: skip_probe \\.+[ *]*(\\w+)")).match(run.output);
    run.verdict = verdict.captured(1);
    return run;
}

struct ProgramRun
{
    int exitCode = -1;
    QString output;
};

// Runs the helper's gsettings cases where neither dbus-run-session nor gsettings can be found (their
// PATH an empty folder), the tools required there or not.
ProgramRun runGSettingsCasesWithoutTheirTools(bool toolsRequired)
{
    ProgramRun run;
    QTemporaryDir emptyFolder;
    if (!emptyFolder.isValid()) {
        run.output = QStringLiteral("cannot make an empty folder for PATH: ") + emptyFolder.errorString();
        return run;
    }
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // This run's own GoogleTest settings (a repeat, a report file) are not the case's.
    for (const QString &name : environment.keys()) {
        if (name.startsWith(QLatin1String("GTEST_")))
            environment.remove(name);
    }
    environment.insert(QStringLiteral("PATH"), emptyFolder.path());
    environment.insert(QStringLiteral("OSTREL_TEST_TOOLS_REQUIRED"), flag(toolsRequired));
    QProcess program;
    program.setProcessEnvironment(environment);
    program.setProcessChannelMode(QProcess::MergedChannels);
    program.start(kGSettingsProgram, {QStringLiteral("--gtest_filter=%1.*").arg(kGSettingsSuite)});
    if (!program.waitForFinished(120000) || program.exitStatus() != QProcess::NormalExit) {
        run.output = QStringLiteral("%1 did not end by itself: %2").arg(kGSettingsProgram, program.errorString());
        return run;
    }
    run.exitCode = program.exitCode();
    run.output = QString::fromLocal8Bit(program.readAll());
    return run;
}

// How many cases GoogleTest ran, and how many of them ended as `verdict` ("FAILED", "SKIPPED"), by
// its summary.
std::pair<int, int> ranAndEndedAs(const QString &output, const QString &verdict)
{
    const QRegularExpression ran(QStringLiteral("\\[==========\\] (\\d+) tests? from \\d+ test suites? ran"));
    const QRegularExpression ended(QStringLiteral("\\[ +%1 +\\] (\\d+) tests?, listed below").arg(verdict));
    return {ran.match(output).captured(1).toInt(), ended.match(output).captured(1).toInt()};
}

} // namespace

TEST(WantedSkipTest, AProgramReadsAsSkippedOnlyWhenNothingOfItFailed)
{
    const CtestRun plain = runUnderCtest({});
    EXPECT_EQ(plain.verdict.toStdString(), "Passed") << plain.output.toStdString();
    EXPECT_EQ(plain.exitCode, 0);

    const CtestRun wanting = runUnderCtest({.want = true});
    EXPECT_EQ(wanting.verdict.toStdString(), "Skipped") << wanting.output.toStdString();
    EXPECT_EQ(wanting.exitCode, 0);

    // One case skipped for want of its tool, another failed: the program failed.
    const CtestRun both = runUnderCtest({.want = true, .fail = true});
    EXPECT_EQ(both.verdict.toStdString(), "Failed") << both.output.toStdString();
    EXPECT_NE(both.exitCode, 0);
    EXPECT_TRUE(both.output.contains(QStringLiteral("told to fail"))) << both.output.toStdString();

    // Where the test command installed the tools, a missing one fails its case, with the reason.
    const CtestRun required = runUnderCtest({.want = true, .toolsRequired = true});
    EXPECT_EQ(required.verdict.toStdString(), "Failed") << required.output.toStdString();
    EXPECT_TRUE(required.output.contains(QStringLiteral("the probe's tool is not installed"))) << required.output.toStdString();

    // One case skipped for want of its tool, and a process left running: the program failed.
    const CtestRun leaving = runUnderCtest({.want = true, .leave = true});
    EXPECT_EQ(leaving.verdict.toStdString(), "Failed") << leaving.output.toStdString();
    EXPECT_NE(leaving.exitCode, 0);
    EXPECT_TRUE(leaving.output.contains(QStringLiteral("sleep 4277"))) << leaving.output.toStdString();

    // A case skipped plainly wants nothing outside the program (a case that only runs in the
    // program a sibling case starts, say): with every other case passed, the program passed.
    const CtestRun plainSkip = runUnderCtest({.plainSkip = true});
    EXPECT_EQ(plainSkip.verdict.toStdString(), "Passed") << plainSkip.output.toStdString();
    EXPECT_EQ(plainSkip.exitCode, 0);
}

// The helper's gsettings cases want tools the test command installs (dbus-run-session and
// gsettings): without them each skips as a want, so their program reads as skipped, and where the
// tools are required each fails, naming what it wanted.
TEST(WantedSkipTest, TheGSettingsCasesWithoutTheirToolsAreWants)
{
    ASSERT_TRUE(QFile::exists(kGSettingsProgram)) << "not built: " << kGSettingsProgram.toStdString();

    const ProgramRun required = runGSettingsCasesWithoutTheirTools(true);
    EXPECT_EQ(required.exitCode, 1) << required.output.toStdString();
    const auto [ranRequired, failed] = ranAndEndedAs(required.output, QStringLiteral("FAILED"));
    EXPECT_GT(ranRequired, 0) << required.output.toStdString();
    EXPECT_EQ(failed, ranRequired) << required.output.toStdString();
    EXPECT_TRUE(required.output.contains(QStringLiteral("[  FAILED  ] ") + kGSettingsCase)) << required.output.toStdString();
    const QRegularExpression namesTheWant(QStringLiteral("required here \\(OSTREL_TEST_TOOLS_REQUIRED=1\\): [^\n]*gsettings"));
    EXPECT_TRUE(required.output.contains(namesTheWant)) << required.output.toStdString();

    const ProgramRun wanting = runGSettingsCasesWithoutTheirTools(false);
    EXPECT_EQ(wanting.exitCode, WantedSkip::kSkippedExitCode) << wanting.output.toStdString();
    const auto [ranWanting, skipped] = ranAndEndedAs(wanting.output, QStringLiteral("SKIPPED"));
    EXPECT_GT(ranWanting, 0) << wanting.output.toStdString();
    EXPECT_EQ(skipped, ranWanting) << wanting.output.toStdString();
    EXPECT_TRUE(wanting.output.contains(QStringLiteral("[  SKIPPED ] ") + kGSettingsCase)) << wanting.output.toStdString();
}
