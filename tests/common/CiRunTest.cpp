// CI's check that no test starts the helper a run of the client installed: it sees a start
// whether or not a helper is installed, and leaves the machine as it found it. `.ci/run` runs
// here in a scratch tree whose test command is a stand-in, inside a mount namespace of this test
// with empty folders over /opt and /var/tmp, so the machine's own are never in reach.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

// The tests' stand-in: notes what lies at the installed path, and starts it when told to.
const QByteArray kTestCommand = R"SH(#!/bin/bash
ls -A /opt/Ostrel_mac_Pelmorath >"$CI_PROBE_SEEN" 2>&1 || true
if [ -n "${CI_PROBE_START:-}" ]; then /opt/Ostrel_mac_Pelmorath/ostrel-helper --socket probe || true; fi
echo "1 passed, 0 failed"
)SH";

// Runs in the namespace: the machine's folders as a fresh one has them (a helper installed when
// asked), the CI script, then what it left.
const QByteArray kMachine = R"SH(set -e
mount -t tmpfs ci-probe /opt
mount -t tmpfs ci-probe /var/tmp
if [ -n "${CI_PROBE_INSTALLED:-}" ]; then
  mkdir /opt/Ostrel_mac_Pelmorath
  printf '#!/bin/sh\necho installed\n' >/opt/Ostrel_mac_Pelmorath/ostrel-helper
  chmod 0755 /opt/Ostrel_mac_Pelmorath/ostrel-helper
fi
status=0
bash "$1/.ci/run" </dev/null || status=$?
echo "exit=$status"
echo "opt=$(cd /opt && find . -mindepth 1 | sort | tr '\n' ' ')"
echo "installed=$(cat /opt/Ostrel_mac_Pelmorath/ostrel-helper 2>/dev/null | tr '\n' ' ')"
echo "var-tmp=$(ls -A /var/tmp | tr '\n' ' ')"
echo "tmp=$(ls -A "$TMPDIR" | tr '\n' ' ')"
)SH";

struct CiRun
{
    QString output;
    QString seen; // what the tests found at the installed path

    QString value(const QString &name) const
    {
        for (const QString &line : output.split(QLatin1Char('\n'))) {
            if (line.startsWith(name + QLatin1Char('=')))
                return line.mid(name.size() + 1).trimmed();
        }
        return QStringLiteral("(none)");
    }
};

class CiRunTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (::geteuid() != 0)
            GTEST_SKIP() << "CI runs as root; the check needs root for its mount namespace";
        if (QProcess::execute(QStringLiteral("unshare"), {QStringLiteral("--mount"), QStringLiteral("true")}) != 0)
            GTEST_SKIP() << "no mount namespace can be had here";
        ASSERT_TRUE(m_tree.isValid());
        ASSERT_TRUE(QDir().mkpath(m_tree.filePath(QStringLiteral(".ci"))));
        ASSERT_TRUE(QDir().mkpath(m_tree.filePath(QStringLiteral("scripts"))));
        ASSERT_TRUE(QDir().mkpath(m_tree.filePath(QStringLiteral("tmp"))));
        ASSERT_TRUE(QFile::copy(QStringLiteral(OSTREL_SOURCE_DIR "/.ci/run"), m_tree.filePath(QStringLiteral(".ci/run"))));
        QFile test(m_tree.filePath(QStringLiteral("scripts/test")));
        ASSERT_TRUE(test.open(QIODevice::WriteOnly));
        test.write(kTestCommand);
    }

    CiRun run(bool helperInstalled, bool aTestStartsIt)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("TMPDIR"), m_tree.filePath(QStringLiteral("tmp")));
        environment.insert(QStringLiteral("CI_PROBE_SEEN"), m_tree.filePath(QStringLiteral("seen")));
        if (helperInstalled)
            environment.insert(QStringLiteral("CI_PROBE_INSTALLED"), QStringLiteral("1"));
        if (aTestStartsIt)
            environment.insert(QStringLiteral("CI_PROBE_START"), QStringLiteral("1"));
        QProcess machine;
        machine.setProcessEnvironment(environment);
        machine.setProcessChannelMode(QProcess::MergedChannels);
        machine.start(QStringLiteral("unshare"), {QStringLiteral("--mount"), QStringLiteral("--propagation"), QStringLiteral("private"),
                                                  QStringLiteral("sh"), QStringLiteral("-c"), QString::fromUtf8(kMachine),
                                                  QStringLiteral("sh"), m_tree.path()});
        CiRun result;
        if (!machine.waitForFinished(60000))
            return result;
        result.output = QString::fromLocal8Bit(machine.readAll());
        QFile seen(m_tree.filePath(QStringLiteral("seen")));
        if (seen.open(QIODevice::ReadOnly))
            result.seen = QString::fromLocal8Bit(seen.readAll()).trimmed();
        return result;
    }

    QTemporaryDir m_tree;
};

TEST_F(CiRunTest, ATestThatStartsTheInstalledHelperFailsTheRunAndNothingStaysBehind)
{
    const CiRun run = this->run(false, true);
    EXPECT_EQ(run.seen.toStdString(), "ostrel-helper") << qPrintable(run.output);
    EXPECT_EQ(run.value(QStringLiteral("exit")).toStdString(), "1") << qPrintable(run.output);
    EXPECT_TRUE(run.output.contains(QStringLiteral("a test started the helper installed at"))) << qPrintable(run.output);
    EXPECT_TRUE(run.output.contains(QStringLiteral("--socket probe"))) << qPrintable(run.output);
    EXPECT_EQ(run.value(QStringLiteral("opt")).toStdString(), "") << qPrintable(run.output);
    EXPECT_EQ(run.value(QStringLiteral("var-tmp")).toStdString(), "") << qPrintable(run.output);
    EXPECT_EQ(run.value(QStringLiteral("tmp")).toStdString(), "") << qPrintable(run.output);
}

TEST_F(CiRunTest, ARunWhoseTestsStartNothingPasses)
{
    const CiRun run = this->run(false, false);
    EXPECT_EQ(run.value(QStringLiteral("exit")).toStdString(), "0") << qPrintable(run.output);
    EXPECT_EQ(run.value(QStringLiteral("opt")).toStdString(), "") << qPrintable(run.output);
    EXPECT_EQ(run.value(QStringLiteral("tmp")).toStdString(), "") << qPrintable(run.output);
}

// On the very machine the check is for: the start is seen, and the installed helper neither ran
// nor changed.
TEST_F(CiRunTest, WhereAHelperIsInstalledAStartIsSeenAndTheHelperIsLeftAlone)
{
    const CiRun run = this->run(true, true);
    EXPECT_EQ(run.value(QStringLiteral("exit")).toStdString(), "1") << qPrintable(run.output);
    EXPECT_TRUE(run.output.contains(QStringLiteral("a test started the helper installed at"))) << qPrintable(run.output);
    EXPECT_FALSE(run.output.contains(QStringLiteral("\ninstalled\n"))) << "the installed helper ran: " << qPrintable(run.output);
    EXPECT_EQ(run.value(QStringLiteral("opt")).toStdString(), "./Ostrel_mac_Pelmorath ./Ostrel_mac_Pelmorath/ostrel-helper")
        << qPrintable(run.output);
    EXPECT_EQ(run.value(QStringLiteral("installed")).toStdString(), "#!/bin/sh echo installed") << qPrintable(run.output);
    EXPECT_EQ(run.value(QStringLiteral("tmp")).toStdString(), "") << qPrintable(run.output);
}

} // namespace
