#pragma once

// The real pieces under the connect road, each started for one test: the stand-in service on
// loopback, the proxy-settings helper with its file backend on a private socket, and stand-in
// engines installed into a private engine folder. Delays of the road run on a manual clock.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkProxy>
#include <QTcpServer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>

#include <unistd.h>

#include "support/ProcScan.h"
#include "support/ConnectTestSupport.h"
#include "common/AppPaths.h"
#include "common/DefaultsKeys.h"
#include "common/MKUserInfoManager.h"
#include "common/UserDefaults.h"
#include "support/NetworkTestSupport.h"
#include "networking/OONetWorkTool.h"
#include "support/DaemonProcess.h"
#include "support/DesktopProxyFile.h"
#include "support/StandinProcess.h"
#include "vpn/EngineSetup.h"
#include "vpn/HLLPACUtilWrapper.h"
#include "vpn/HelperClient.h"
#include "vpn/HomeConnectController.h"

class ConnectRoadFixture : public ::testing::Test
{
protected:
    static QString binary(const QString &name)
    {
        return QCoreApplication::applicationDirPath() + QLatin1Char('/') + name;
    }

    // `sslocal` is the stand-in engine to install ("standin-sslocal-scripted" or "-relay").
    void startPieces(const QString &sslocal, const QStringList &standinArguments = {})
    {
        UserDefaults::standard().removePersistentDomain();
        EXPECT_TRUE(MKUserInfoManager::shared().clearUser());
        ASSERT_TRUE(m_dir.isValid());
        installEngines(sslocal);
        ASSERT_TRUE(m_standin.start(standinArguments)) << m_standin.errorText().toStdString();
        m_hooks = installRecordingHooks();
        pointClientAt({m_standin.baseUrl()});
        startHelper();
        HelperClient::Options options;
        options.socketPath = socketPath();
        options.callTimeoutMs = 3000;
        m_helperClient = std::make_unique<HelperClient>(options);
        HLLPACUtilWrapper::setHelperForTesting(m_helperClient.get());

        UserDefaults &defaults = UserDefaults::standard();
        defaults.setBool(DefaultsKeys::ShadowsocksOn, false);
        defaults.setBool(DefaultsKeys::kTunStateKey, false);
        defaults.setInteger(DefaultsKeys::kProxyMode, 0);
        // The home screen's choice: the ordinary Tokyo line of the stand-in.
        defaults.setString(DefaultsKeys::kProxyLineInfo, QStringLiteral(R"({"id": 101, "kind": 0})"));
    }

    void TearDown() override
    {
        m_controller.reset();
        HLLPACUtilWrapper::shutdown(1000);
        HLLPACUtilWrapper::setHelperForTesting(nullptr);
        m_helperClient.reset();
        m_helper.terminate();
        m_standin.stop();
        EngineSetup::resetStandard();
        qunsetenv("OSTREL_STANDIN_ENGINE_SCRIPT");
        qunsetenv("OSTREL_STANDIN_ENGINE_RECORD");
    }

    void installEngines(const QString &sslocal)
    {
        const QString folder = m_dir.path() + QStringLiteral("/engines");
        QDir().mkpath(folder);
        QFile::link(binary(sslocal), folder + QStringLiteral("/intel_sslocal"));
        QFile::link(binary(QStringLiteral("standin-sslocal-scripted")),
                    folder + QStringLiteral("/sing-box_amd64"));
        EngineSetup setup;
        setup.engineFolder = folder;
        setup.scriptFolder = m_dir.path() + QStringLiteral("/no-scripts");
        setup.shippedVersionsFile = m_dir.path() + QStringLiteral("/no-versions.json");
        setup.machine = QStringLiteral("x86_64");
        EngineSetup::setStandardForTesting(setup);
        UserDefaults::standard().setString(DefaultsKeys::kSSLocalVersion, QStringLiteral("1.0.0"));
        UserDefaults::standard().setString(DefaultsKeys::kSingBoxVersion, QStringLiteral("1.0.0"));
        qputenv("OSTREL_STANDIN_ENGINE_RECORD", recordPath().toLocal8Bit());
    }

    void startHelper()
    {
        ASSERT_TRUE(m_helper.start(binary(QStringLiteral("ostrel-helper")), helperArguments(), socketPath()));
    }

    QStringList helperArguments() const
    {
        return DesktopProxyFile::helperArguments(socketPath(), settingsPath(), m_dir.path() + QStringLiteral("/helper-state"));
    }

    void signInAsVisitor()
    {
        bool done = false;
        std::optional<QString> failure;
        OONetWorkTool::login([&](std::optional<QString> error) {
            failure = error;
            done = true;
        });
        ASSERT_TRUE(QTest::qWaitFor([&] { return done; }, 10000));
        ASSERT_FALSE(failure) << failure->toStdString();
    }

    void makeController()
    {
        m_controller = std::make_unique<HomeConnectController>(m_view, nullptr, m_clock,
                                                              HomeConnectController::Services::real());
    }

    // The engine prints these lines (one step per line of the stand-in's script) when started.
    void scriptEngine(const QString &script)
    {
        const QString path = m_dir.path() + QStringLiteral("/engine-script");
        QFile file(path);
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(script.toUtf8());
        file.close();
        qputenv("OSTREL_STANDIN_ENGINE_SCRIPT", path.toLocal8Bit());
    }

    // Waits for the road's end; true when it ended connected.
    bool connectAndWait(int ms = 10000)
    {
        bool succeeded = false;
        bool failed = false;
        const auto a = QObject::connect(m_controller.get(), &HomeConnectController::connectSucceeded,
                                        [&] { succeeded = true; });
        const auto b = QObject::connect(m_controller.get(), &HomeConnectController::connectFailed,
                                        [&] { failed = true; });
        m_controller->startConnect();
        [[maybe_unused]] const bool ended = QTest::qWaitFor([&] { return succeeded || failed; }, ms);
        QObject::disconnect(a);
        QObject::disconnect(b);
        return succeeded;
    }

    bool stopAndWait(int ms = 10000)
    {
        std::optional<bool> ok;
        const auto c = QObject::connect(m_controller.get(), &HomeConnectController::stopFinished,
                                        [&](bool result) { ok = result; });
        m_controller->stopConnect();
        [[maybe_unused]] const bool answered = QTest::qWaitFor([&] { return ok.has_value(); }, ms);
        QObject::disconnect(c);
        return ok.value_or(false);
    }

    // What the helper's file backend holds: the desktop proxy as the helper set it.
    QJsonObject desktopProxy() const { return DesktopProxyFile::read(settingsPath()); }

    bool proxyPointsAtUs() const { return DesktopProxyFile::pointsAt(desktopProxy(), HLLPACUtilWrapper::kLocalPort); }

    // Process ids of every engine the stand-ins recorded.
    QList<qint64> enginePids() const
    {
        QList<qint64> pids;
        QFile file(recordPath());
        if (!file.open(QIODevice::ReadOnly))
            return pids;
        bool expectPid = true;
        for (const QByteArray &line : file.readAll().split('\n')) {
            if (expectPid && !line.isEmpty())
                pids << line.toLongLong();
            expectPid = line.isEmpty();
        }
        return pids;
    }

    // No live process runs with a file of this profile's private folder (the engines' -c
    // argument, the relay's own ss-local configuration).
    static bool noEngineLeft()
    {
        const std::string folder = AppPaths::privateFolder().toStdString();
        const std::vector<pid_t> pids = ProcScan::processes();
        return std::none_of(pids.cbegin(), pids.cend(), [&folder](pid_t pid) {
            return pid != ::getpid() && ProcScan::read(pid, "cmdline").find(folder) != std::string::npos
                   && ProcScan::alive(pid);
        });
    }

    QString socketPath() const { return m_dir.path() + QStringLiteral("/helper.sock"); }
    QString settingsPath() const { return m_dir.path() + QStringLiteral("/desktop-proxy.json"); }
    QString recordPath() const { return m_dir.path() + QStringLiteral("/engine-record"); }

    QTemporaryDir m_dir;
    StandinProcess m_standin;
    DaemonProcess m_helper;
    std::shared_ptr<RecordingHooks> m_hooks;
    std::unique_ptr<HelperClient> m_helperClient;
    ManualClock m_clock;
    RecordingView m_view;
    std::unique_ptr<HomeConnectController> m_controller;
};
