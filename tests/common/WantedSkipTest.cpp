// A case that cannot run for want of something outside its program makes ctest count the program
// as skipped, never as passed, and never when another case of it failed. The probe runs under
// ctest with the properties this build gives its own tests.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>

namespace {

const QString kProbe = QStringLiteral(OSTREL_BINARY_DIR "/bin/skip-probe");
const QString kOwnTestFile = QStringLiteral(OSTREL_BINARY_DIR "/tests/CTestTestfile.cmake");
const QString kOwnName = QStringLiteral("common_WantedSkipTest");

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

// Runs the probe under ctest, wanting its tool or not, with a failing case or not.
CtestRun runUnderCtest(bool want, bool fail, bool toolsRequired = false)
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
    environment.insert(QStringLiteral("OSTREL_TEST_PROBE_WANT"), want ? QStringLiteral("1") : QStringLiteral("0"));
    environment.insert(QStringLiteral("OSTREL_TEST_PROBE_FAIL"), fail ? QStringLiteral("1") : QStringLiteral("0"));
    environment.insert(QStringLiteral("OSTREL_TEST_TOOLS_REQUIRED"), toolsRequired ? QStringLiteral("1") : QStringLiteral("0"));
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

} // namespace

TEST(WantedSkipTest, AProgramReadsAsSkippedOnlyWhenNothingOfItFailed)
{
    const CtestRun plain = runUnderCtest(false, false);
    EXPECT_EQ(plain.verdict.toStdString(), "Passed") << plain.output.toStdString();
    EXPECT_EQ(plain.exitCode, 0);

    const CtestRun wanting = runUnderCtest(true, false);
    EXPECT_EQ(wanting.verdict.toStdString(), "Skipped") << wanting.output.toStdString();
    EXPECT_EQ(wanting.exitCode, 0);

    // One case skipped for want of its tool, another failed: the program failed.
    const CtestRun both = runUnderCtest(true, true);
    EXPECT_EQ(both.verdict.toStdString(), "Failed") << both.output.toStdString();
    EXPECT_NE(both.exitCode, 0);
    EXPECT_TRUE(both.output.contains(QStringLiteral("told to fail"))) << both.output.toStdString();

    // Where the test command installed the tools, a missing one fails its case, with the reason.
    const CtestRun required = runUnderCtest(true, false, true);
    EXPECT_EQ(required.verdict.toStdString(), "Failed") << required.output.toStdString();
    EXPECT_TRUE(required.output.contains(QStringLiteral("the probe's tool is not installed"))) << required.output.toStdString();
}
