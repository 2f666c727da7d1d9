// CI's check that no test starts the helper a run of the client installed: it sees a start
// whether or not a helper is installed, and leaves the machine as it found it. `.ci/run` runs
// here in a scratch tree whose test command is a stand-in, inside a mount namespace of this test
// with its own folders over /opt and /var/tmp, so the machine's own are never in reach.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <initializer_list>

#include <unistd.h>

namespace {

// What /opt holds, on one line: folders end in "/", links show their target.
const QByteArray kListOpt = R"SH(#!/bin/sh
cd /opt && find . -mindepth 1 \( -type l -printf '%P->%l\n' \) -o \( -type d -printf '%P/\n' \) -o -printf '%P\n' |
  LC_ALL=C sort | tr '\n' ' '
)SH";

// The tests' stand-in: notes what it finds under /opt, starts the installed helper when told to,
// and plays a CI run killed under it or a second CI run beside it.
const QByteArray kTestCommand = R"SH(#!/bin/bash
{
  echo "helper=$(ls -A /opt/Ostrel_mac_Pelmorath 2>&1)"
  echo "opt=$("$CI_PROBE_TREE/list-opt")"
  echo "content=$(cat /opt/notes /opt/tools/tool /opt/.hidden/file /opt/..two-dots 2>/dev/null | tr '\n' ' ')"
} >"$CI_PROBE_TREE/seen"
if [ -n "${CI_PROBE_BESIDE:-}" ]; then CI_PROBE_BESIDE= bash "$CI_PROBE_TREE/.ci/run"; fi
if [ -n "${CI_PROBE_START:-}" ]; then /opt/Ostrel_mac_Pelmorath/ostrel-helper --socket probe || true; fi
if [ -n "${CI_PROBE_KILL:-}" ]; then kill -KILL "$PPID"; fi
echo "1 passed, 0 failed"
)SH";

// Runs in the namespace: the machine's folders as a fresh one has them (a helper installed, /opt
// populated, no namespace to be had, as asked), the CI script, then what it left.
const QByteArray kMachine = R"SH(set -e
tree=$1
export CI_PROBE_TREE="$tree"
mount -t tmpfs ci-probe /opt
mount -t tmpfs ci-probe /var/tmp
if [ -n "${CI_PROBE_INSTALLED:-}" ]; then
  mkdir /opt/Ostrel_mac_Pelmorath
  printf '#!/bin/sh\necho installed\n' >/opt/Ostrel_mac_Pelmorath/ostrel-helper
  chmod 0755 /opt/Ostrel_mac_Pelmorath/ostrel-helper
fi
if [ -n "${CI_PROBE_POPULATED:-}" ]; then
  mkdir /opt/tools /opt/.hidden
  echo tool >/opt/tools/tool
  echo hidden >/opt/.hidden/file
  echo notes >/opt/notes
  echo two-dots >/opt/..two-dots
  ln -s tools /opt/current
fi
echo "before=$("$tree/list-opt")"
if [ -n "${CI_PROBE_NO_NAMESPACE:-}" ]; then
  export PATH="$tree/no-namespace:$PATH"
fi
if [ -n "${CI_PROBE_KILLED_BEFORE:-}" ]; then
  status=0
  CI_PROBE_KILL=1 CI_PROBE_BESIDE= bash "$tree/.ci/run" </dev/null || status=$?
  echo "killed=$status"
  echo "leftover=$("$tree/list-opt")"
fi
if [ -n "${CI_PROBE_BY_HAND:-}" ]; then
  mkdir "$tree/by-hand"
  set -- --inside-namespace "$tree/by-hand"
else
  set --
fi
status=0
bash "$tree/.ci/run" "$@" </dev/null || status=$?
echo "exit=$status"
echo "opt=$("$tree/list-opt")"
echo "installed=$(cat /opt/Ostrel_mac_Pelmorath/ostrel-helper 2>/dev/null | tr '\n' ' ')"
echo "var-tmp=$(ls -A /var/tmp | tr '\n' ' ')"
echo "tmp=$(ls -A "$TMPDIR" | tr '\n' ' ')"
)SH";

struct CiRun
{
    QString output;
    QString seen; // what the tests found under /opt

    static QString field(const QString &text, const QString &name)
    {
        for (const QString &line : text.split(QLatin1Char('\n'))) {
            if (line.startsWith(name + QLatin1Char('=')))
                return line.mid(name.size() + 1).trimmed();
        }
        return QStringLiteral("(none)");
    }
    std::string value(const char *name) const { return field(output, QLatin1String(name)).toStdString(); }
    std::string found(const char *name) const { return field(seen, QLatin1String(name)).toStdString(); }
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
        for (const char *folder : {".ci", "scripts", "tmp", "no-namespace"})
            ASSERT_TRUE(QDir().mkpath(m_tree.filePath(QLatin1String(folder))));
        ASSERT_TRUE(QFile::copy(QStringLiteral(OSTREL_SOURCE_DIR "/.ci/run"), m_tree.filePath(QStringLiteral(".ci/run"))));
        writeScript("scripts/test", kTestCommand);
        writeScript("list-opt", kListOpt);
        writeScript("no-namespace/unshare", "#!/bin/sh\necho 'unshare: Operation not permitted' >&2\nexit 1\n");
    }

    void writeScript(const char *name, const QByteArray &text)
    {
        QFile script(m_tree.filePath(QLatin1String(name)));
        ASSERT_TRUE(script.open(QIODevice::WriteOnly));
        script.write(text);
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    // The machine and its tests as kMachine and kTestCommand read them: CI_PROBE_<what> set.
    CiRun run(std::initializer_list<const char *> machine)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("TMPDIR"), m_tree.filePath(QStringLiteral("tmp")));
        for (const char *what : machine)
            environment.insert(QStringLiteral("CI_PROBE_") + QLatin1String(what), QStringLiteral("1"));
        QProcess process;
        process.setProcessEnvironment(environment);
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(QStringLiteral("unshare"), {QStringLiteral("--mount"), QStringLiteral("--propagation"), QStringLiteral("private"),
                                                  QStringLiteral("sh"), QStringLiteral("-c"), QString::fromUtf8(kMachine),
                                                  QStringLiteral("sh"), m_tree.path()});
        CiRun result;
        if (!process.waitForFinished(60000))
            return result;
        result.output = QString::fromLocal8Bit(process.readAll());
        QFile seen(m_tree.filePath(QStringLiteral("seen")));
        if (seen.open(QIODevice::ReadOnly))
            result.seen = QString::fromLocal8Bit(seen.readAll());
        return result;
    }

    QTemporaryDir m_tree;
};

TEST_F(CiRunTest, ATestThatStartsTheInstalledHelperFailsTheRunAndNothingStaysBehind)
{
    const CiRun run = this->run({"START"});
    EXPECT_EQ(run.found("helper"), "ostrel-helper") << qPrintable(run.output);
    EXPECT_EQ(run.value("exit"), "1") << qPrintable(run.output);
    EXPECT_TRUE(run.output.contains(QStringLiteral("a test started the helper installed at"))) << qPrintable(run.output);
    EXPECT_TRUE(run.output.contains(QStringLiteral("--socket probe"))) << qPrintable(run.output);
    EXPECT_EQ(run.value("opt"), "") << qPrintable(run.output);
    EXPECT_EQ(run.value("var-tmp"), "") << qPrintable(run.output);
    EXPECT_EQ(run.value("tmp"), "") << qPrintable(run.output);
}

// The tests see the install folder's parent whole, each entry the machine's own, and the parent
// is as it was afterwards.
TEST_F(CiRunTest, ARunWhoseTestsStartNothingPassesAndTheTestsSeeOptAsItIs)
{
    const CiRun run = this->run({"POPULATED"});
    EXPECT_EQ(run.value("exit"), "0") << qPrintable(run.output);
    EXPECT_EQ(run.value("before"), "..two-dots .hidden/ .hidden/file current->tools notes tools/ tools/tool");
    EXPECT_EQ(run.found("opt"), "..two-dots .hidden/ .hidden/file Ostrel_mac_Pelmorath/ Ostrel_mac_Pelmorath/ostrel-helper "
                                "current->tools notes tools/ tools/tool")
        << qPrintable(run.seen);
    EXPECT_EQ(run.found("content"), "notes tool hidden two-dots") << qPrintable(run.seen);
    EXPECT_EQ(run.value("opt"), run.value("before")) << qPrintable(run.output);
    EXPECT_EQ(run.value("tmp"), "") << qPrintable(run.output);
}

// On the very machine the check is for: the start is seen, and the installed helper neither ran
// nor changed.
TEST_F(CiRunTest, WhereAHelperIsInstalledAStartIsSeenAndTheHelperIsLeftAlone)
{
    const CiRun run = this->run({"INSTALLED", "START"});
    EXPECT_EQ(run.value("exit"), "1") << qPrintable(run.output);
    EXPECT_TRUE(run.output.contains(QStringLiteral("a test started the helper installed at"))) << qPrintable(run.output);
    EXPECT_FALSE(run.output.contains(QStringLiteral("\ninstalled\n"))) << "the installed helper ran: " << qPrintable(run.output);
    EXPECT_EQ(run.value("opt"), "Ostrel_mac_Pelmorath/ Ostrel_mac_Pelmorath/ostrel-helper") << qPrintable(run.output);
    EXPECT_EQ(run.value("installed"), "#!/bin/sh echo installed") << qPrintable(run.output);
    EXPECT_EQ(run.value("tmp"), "") << qPrintable(run.output);
}

// Without a namespace the stand-in lies at the installed path for the run. What a killed run left
// there is taken away by the next, which checks as usual; a run still under way (here: one that a
// test started) is that run's, not a leftover.
TEST_F(CiRunTest, WithoutANamespaceAKilledRunsStandinIsRemovedAndARunningOnesIsNot)
{
    const CiRun run = this->run({"NO_NAMESPACE", "KILLED_BEFORE", "START", "BESIDE"});
    EXPECT_EQ(run.value("killed"), "137") << qPrintable(run.output);
    EXPECT_EQ(run.value("leftover"), "Ostrel_mac_Pelmorath/ Ostrel_mac_Pelmorath/ostrel-helper") << qPrintable(run.output);
    EXPECT_EQ(run.output.count(QStringLiteral("ci: removed the stand-in an earlier CI run left")), 1) << qPrintable(run.output);
    EXPECT_TRUE(run.output.contains(QStringLiteral("cannot be stood in for: the check is skipped"))) << qPrintable(run.output);
    EXPECT_EQ(run.value("exit"), "1") << qPrintable(run.output);
    EXPECT_TRUE(run.output.contains(QStringLiteral("--socket probe"))) << qPrintable(run.output);
    EXPECT_EQ(run.value("opt"), "") << qPrintable(run.output);
    EXPECT_EQ(run.value("tmp"), "") << qPrintable(run.output);
}

// The script's own inner step, run by hand (here: in the namespace it was started from), would
// mount over the machine's /opt.
TEST_F(CiRunTest, TheInnerStepRefusesToRunOutsideItsOwnNamespace)
{
    const CiRun run = this->run({"BY_HAND"});
    EXPECT_EQ(run.value("exit"), "2") << qPrintable(run.output);
    EXPECT_TRUE(run.output.contains(QStringLiteral("ci: --inside-namespace"))) << qPrintable(run.output);
    EXPECT_TRUE(run.seen.isEmpty()) << qPrintable(run.seen);
    EXPECT_EQ(run.value("opt"), "") << qPrintable(run.output);
}

} // namespace
