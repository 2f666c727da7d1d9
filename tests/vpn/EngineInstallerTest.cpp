#include "EngineTestSupport.h"

#include "common/DefaultsKeys.h"
#include "vpn/PrivilegedRunner.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <unistd.h>

namespace {

class EngineInstallerTest : public ::testing::Test
{
protected:
    void SetUp() override { UserDefaults::standard().removePersistentDomain(); }

    // Runs ensureInstalled and returns its outcome, which always comes later from the event
    // loop, even when nothing needs doing or the runner answers at once.
    static EngineInstaller::Outcome ensure(const EngineInstaller &installer)
    {
        QObject guard;
        EngineInstaller::Outcome result = EngineInstaller::Outcome::InstallFailed;
        int answers = 0;
        installer.ensureInstalled(&guard, [&](EngineInstaller::Outcome outcome, const QString &) {
            result = outcome;
            ++answers;
        });
        EXPECT_EQ(answers, 0) << "answered inside the call";
        EXPECT_TRUE(QTest::qWaitFor([&] { return answers > 0; }, 5000));
        QCoreApplication::processEvents();
        EXPECT_EQ(answers, 1);
        return result;
    }
};

} // namespace

TEST_F(EngineInstallerTest, ArchitectureChoosesEngineAndScript)
{
    struct Case
    {
        const char *machine;
        const char *text;
        const char *sslocal;
        const char *sslocalScript;
        const char *singBox;
        const char *singBoxScript;
    };
    const Case cases[] = {
        {"aarch64", "ARM", "arm_sslocal", "install_arm_sslocal", "sing-box_arm64", "install_arm_singbox"},
        {"x86_64", "Intel 64-bit", "intel_sslocal", "install_amd_sslocal", "sing-box_amd64", "install_amd_singbox"},
        {"i686", "Intel 32-bit", "intel_sslocal", "install_amd_sslocal", "sing-box_amd64", "install_amd_singbox"},
        {"riscv64", "", "", "", "", ""},
        // No 32-bit ARM build is shipped: an explicit error, not a 64-bit engine that cannot run.
        {"armv7l", "", "", "", "", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.machine);
        EngineSetup setup;
        setup.machine = QString::fromLatin1(c.machine);
        setup.engineFolder = QStringLiteral("/e");
        setup.scriptFolder = QStringLiteral("/s");
        const EngineInstaller sslocal(EngineInstaller::Engine::SSLocal, setup);
        const EngineInstaller singBox(EngineInstaller::Engine::SingBox, setup);
        EXPECT_EQ(sslocal.getCurrentArchitecture(), QLatin1String(c.text));
        EXPECT_EQ(sslocal.getCurrentProgressName(), QLatin1String(c.sslocal));
        EXPECT_EQ(sslocal.getShellFileName(), QLatin1String(c.sslocalScript));
        EXPECT_EQ(singBox.getCurrentProgressName(), QLatin1String(c.singBox));
        EXPECT_EQ(singBox.getShellFileName(), QLatin1String(c.singBoxScript));
        if (*c.sslocal) {
            EXPECT_EQ(sslocal.enginePath(), QStringLiteral("/e/") + QLatin1String(c.sslocal));
            EXPECT_EQ(singBox.scriptPath(), QStringLiteral("/s/") + QLatin1String(c.singBoxScript) + QStringLiteral(".sh"));
        }
    }
}

TEST_F(EngineInstallerTest, UnknownProcessorIsAnErrorWithoutAnyScript)
{
    EngineSandbox sandbox(QStringLiteral("sparc64"));
    const EngineInstaller installer(EngineInstaller::Engine::SSLocal, sandbox.setup);
    EXPECT_EQ(ensure(installer), EngineInstaller::Outcome::UnknownArchitecture);
    EXPECT_TRUE(sandbox.runner.scripts.isEmpty());
}

TEST_F(EngineInstallerTest, InstallsOnlyWhenMissingOrOutdated)
{
    EngineSandbox sandbox(QStringLiteral("x86_64"));
    const EngineInstaller installer(EngineInstaller::Engine::SingBox, sandbox.setup);
    sandbox.runner.engineName = installer.getCurrentProgressName();
    sandbox.runner.engineSource = scriptedEnginePath();

    // Nothing installed: the script runs, and the shipped version is recorded.
    EXPECT_EQ(ensure(installer), EngineInstaller::Outcome::Ready);
    EXPECT_EQ(sandbox.runner.scripts, QStringList{sandbox.setup.scriptFolder + "/install_amd_singbox.sh"});
    EXPECT_EQ(UserDefaults::standard().stringValue(DefaultsKeys::kSingBoxVersion), QStringLiteral("1.0.0"));

    // Installed and current: no prompt.
    EXPECT_EQ(ensure(installer), EngineInstaller::Outcome::Ready);
    EXPECT_EQ(sandbox.runner.scripts.size(), 1);

    // The version is set but the engine file is gone: installed again.
    QFile::remove(installer.enginePath());
    EXPECT_EQ(ensure(installer), EngineInstaller::Outcome::Ready);
    EXPECT_EQ(sandbox.runner.scripts.size(), 2);

    // The application now ships a newer engine: installed again, once.
    sandbox.writeShippedVersions(R"({"sing-box": "1.10.0", "sslocal": "2.0"})");
    EXPECT_FALSE(installer.isVersionOk());
    EXPECT_EQ(ensure(installer), EngineInstaller::Outcome::Ready);
    EXPECT_EQ(ensure(installer), EngineInstaller::Outcome::Ready);
    EXPECT_EQ(sandbox.runner.scripts.size(), 3);
    EXPECT_EQ(UserDefaults::standard().stringValue(DefaultsKeys::kSingBoxVersion), QStringLiteral("1.10.0"));
}

TEST_F(EngineInstallerTest, FailedInstallIsRetriedByTheNextAttempt)
{
    EngineSandbox sandbox(QStringLiteral("aarch64"));
    const EngineInstaller installer(EngineInstaller::Engine::SSLocal, sandbox.setup);
    sandbox.runner.succeed = false;
    EXPECT_EQ(ensure(installer), EngineInstaller::Outcome::InstallFailed);
    EXPECT_EQ(ensure(installer), EngineInstaller::Outcome::InstallFailed);
    EXPECT_EQ(sandbox.runner.scripts.size(), 2);
    EXPECT_FALSE(UserDefaults::standard().stringValue(DefaultsKeys::kSSLocalVersion).has_value());

    // A script that reports success without leaving an engine behind is a failure too.
    sandbox.runner.succeed = true;
    EXPECT_EQ(ensure(installer), EngineInstaller::Outcome::InstallFailed);
}

TEST_F(EngineInstallerTest, VersionsCompareAsNumbers)
{
    EXPECT_EQ(EngineInstaller::compareVersions(QStringLiteral("1.10.0"), QStringLiteral("1.9.9")), 1);
    EXPECT_EQ(EngineInstaller::compareVersions(QStringLiteral("1.10"), QStringLiteral("1.10.0")), 0);
    EXPECT_EQ(EngineInstaller::compareVersions(QStringLiteral("0.9"), QStringLiteral("1.0.0")), -1);

    EngineSandbox sandbox(QStringLiteral("x86_64"));
    sandbox.installEngine(EngineInstaller::Engine::SSLocal, scriptedEnginePath());
    const EngineInstaller installer(EngineInstaller::Engine::SSLocal, sandbox.setup);
    EXPECT_TRUE(installer.isVersionOk());
    UserDefaults::standard().setString(DefaultsKeys::kSSLocalVersion, QStringLiteral("1.0"));
    EXPECT_TRUE(installer.isVersionOk());
    UserDefaults::standard().setString(DefaultsKeys::kSSLocalVersion, QStringLiteral("garbage"));
    EXPECT_FALSE(installer.isVersionOk());
}

TEST_F(EngineInstallerTest, RootRunsOnlyScriptsNobodyElseCanChange)
{
    QTemporaryDir dir;
    const QString script = dir.path() + QStringLiteral("/install_x.sh");
    QFile file(script);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("exit 0\n");
    file.close();

    EXPECT_FALSE(PrivilegedRunner::scriptRefusal(dir.path() + QStringLiteral("/missing.sh")).isEmpty());
    ASSERT_TRUE(QFile::setPermissions(script, QFileDevice::Permissions(0x6666)));
    EXPECT_FALSE(PrivilegedRunner::scriptRefusal(script).isEmpty());
    ASSERT_TRUE(QFile::setPermissions(script, QFileDevice::Permissions(0x6644)));
    ASSERT_TRUE(QFile::setPermissions(dir.path(), QFileDevice::Permissions(0x7777)));
    EXPECT_FALSE(PrivilegedRunner::scriptRefusal(script).isEmpty()) << "a folder others may write to";
    ASSERT_TRUE(QFile::setPermissions(dir.path(), QFileDevice::Permissions(0x7755)));
    if (::geteuid() != 0) {
        EXPECT_FALSE(PrivilegedRunner::scriptRefusal(script).isEmpty()) << "not owned by root";
        return;
    }
    EXPECT_TRUE(PrivilegedRunner::scriptRefusal(script).isEmpty());

    // A folder further up that others may write to (and rename entries in) is refused too.
    const QString inner = dir.path() + QStringLiteral("/open/inner");
    ASSERT_TRUE(QDir().mkpath(inner));
    ASSERT_TRUE(QFile::copy(script, inner + QStringLiteral("/install_x.sh")));
    ASSERT_TRUE(QFile::setPermissions(dir.path() + QStringLiteral("/open"), QFileDevice::Permissions(0x7777)));
    EXPECT_FALSE(PrivilegedRunner::scriptRefusal(inner + QStringLiteral("/install_x.sh")).isEmpty());
    ASSERT_TRUE(QFile::setPermissions(dir.path() + QStringLiteral("/open"), QFileDevice::Permissions(0x7755)));
    EXPECT_TRUE(PrivilegedRunner::scriptRefusal(inner + QStringLiteral("/install_x.sh")).isEmpty());
}

TEST_F(EngineInstallerTest, BundledScriptsExistAndRefuseUnknownEngines)
{
    const QString folder = QStringLiteral(OSTREL_SOURCE_DIR "/resources/scripts");
    for (const char *name : {"install_amd_sslocal", "install_arm_sslocal", "install_amd_singbox", "install_arm_singbox"}) {
        const QString path = folder + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".sh");
        EXPECT_TRUE(QFileInfo(path).isFile()) << name;
        EXPECT_EQ(QProcess::execute(QStringLiteral("/bin/bash"), {QStringLiteral("-n"), path}), 0) << name;
    }
    QProcess process;
    process.start(QStringLiteral("/bin/bash"), {folder + QStringLiteral("/install_engine.sh"), QStringLiteral("../../bin/sh"),
                                                QStringLiteral("cap_sys_admin+ep")});
    ASSERT_TRUE(process.waitForFinished(5000));
    EXPECT_EQ(process.exitCode(), 2);
    const QByteArray scripts = [&] {
        QByteArray all;
        for (const char *name : {"install_engine", "install_amd_sslocal", "install_arm_sslocal",
                                 "install_amd_singbox", "install_arm_singbox"}) {
            QFile f(folder + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".sh"));
            if (f.open(QIODevice::ReadOnly))
                all += f.readAll();
        }
        return all;
    }();
    EXPECT_FALSE(scripts.contains("+s ")) << "no setuid bit anywhere";
    EXPECT_FALSE(scripts.contains("u+s"));
}

TEST_F(EngineInstallerTest, RunnerRunsTheFixedScriptAndReportsItsOutcome)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "as a user the runner would ask pkexec for a password";
    QTemporaryDir dir;
    ASSERT_TRUE(QFile::setPermissions(dir.path(), QFileDevice::Permissions(0x7755)));
    const auto writeScript = [&](const QString &name, const QByteArray &body) {
        const QString path = dir.path() + QLatin1Char('/') + name;
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(body);
        file.close();
        QFile::setPermissions(path, QFileDevice::Permissions(0x6644));
        return path;
    };
    // The script gets no arguments and runs from its fixed place.
    const QString good = writeScript(QStringLiteral("good.sh"), "echo \"$# $0\" > \"$(dirname \"$0\")/ran\"\n");
    const QString bad = writeScript(QStringLiteral("bad.sh"), "exit 4\n");

    PrivilegedRunner &runner = PrivilegedRunner::standard();
    QObject guard;
    std::optional<std::pair<bool, QString>> outcome;
    runner.runScript(good, {}, &guard, [&](bool ok, const QString &error) { outcome.emplace(ok, error); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return outcome.has_value(); }, 5000));
    EXPECT_TRUE(outcome->first) << outcome->second.toStdString();
    QFile ran(dir.path() + QStringLiteral("/ran"));
    ASSERT_TRUE(ran.open(QIODevice::ReadOnly));
    EXPECT_EQ(ran.readAll().trimmed(), "0 " + good.toUtf8());

    // A failing script is a failure with its code; no guard is needed to hear it.
    outcome.reset();
    runner.runScript(bad, {}, nullptr, [&](bool ok, const QString &error) { outcome.emplace(ok, error); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return outcome.has_value(); }, 5000));
    EXPECT_FALSE(outcome->first);
    EXPECT_TRUE(outcome->second.contains(QLatin1String("4"))) << outcome->second.toStdString();

    // A guard that goes first takes the answer with it.
    outcome.reset();
    auto shortLived = std::make_unique<QObject>();
    runner.runScript(good, {}, shortLived.get(), [&](bool ok, const QString &error) { outcome.emplace(ok, error); });
    shortLived.reset();
    // A run started after it answers later than the gone one could have.
    std::optional<bool> after;
    runner.runScript(good, {}, &guard, [&](bool ok, const QString &) { after = ok; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return after.has_value(); }, 5000));
    EXPECT_FALSE(outcome.has_value());
}
