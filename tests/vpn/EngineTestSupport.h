#pragma once

// Shared pieces of the engine tests: a recording privileged runner, a private engine folder
// holding the scripted stand-in engine under the name this processor's engine has, and small
// waiting helpers.
#include "common/UserDefaults.h"
#include "vpn/EngineArchitecture.h"
#include "vpn/EngineInstaller.h"
#include "vpn/EngineSetup.h"
#include "vpn/PrivilegedRunner.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <functional>
#include <sys/types.h>

inline QString scriptedEnginePath()
{
    return QStringLiteral(OSTREL_BINARY_DIR "/bin/standin-sslocal-scripted");
}

inline QString relayEnginePath()
{
    return QStringLiteral(OSTREL_BINARY_DIR "/bin/standin-sslocal-relay");
}

inline QString tunStandinEnginePath()
{
    return QStringLiteral(OSTREL_BINARY_DIR "/bin/standin-sing-box");
}

// Records every script it is asked to run; "installs" by linking `engineSource` into the engine
// folder under `engineName` when told to succeed.
class RecordingRunner : public PrivilegedRunner
{
public:
    QStringList scripts;
    bool succeed = true;
    QString engineFolder;
    QString engineName;
    QString engineSource;

protected:
    void execute(const QString &scriptPath, const QStringList &, QObject *, Done done) override
    {
        scripts.append(scriptPath);
        if (succeed && !engineName.isEmpty()) {
            QDir().mkpath(engineFolder);
            QFile::remove(engineFolder + QLatin1Char('/') + engineName);
            QFile::link(engineSource, engineFolder + QLatin1Char('/') + engineName);
        }
        done(succeed, succeed ? QString() : QStringLiteral("refused"));
    }
};

// A private engine folder and script folder, with the engine setup pointing at them.
class EngineSandbox
{
public:
    explicit EngineSandbox(const QString &machine = currentMachineName())
    {
        setup.engineFolder = m_dir.path() + QStringLiteral("/engines");
        setup.scriptFolder = m_dir.path() + QStringLiteral("/scripts");
        setup.shippedVersionsFile = m_dir.path() + QStringLiteral("/versions.json");
        setup.machine = machine;
        setup.runner = &runner;
        QDir().mkpath(setup.engineFolder);
        QDir().mkpath(setup.scriptFolder);
        runner.engineFolder = setup.engineFolder;
    }

    // Puts `source` in place as the engine and marks it installed at the shipped version.
    void installEngine(EngineInstaller::Engine engine, const QString &source)
    {
        const EngineInstaller installer(engine, setup);
        QFile::remove(installer.enginePath());
        QFile::link(source, installer.enginePath());
        UserDefaults::standard().setString(installer.versionKey(), installer.shippedVersion());
    }

    void writeShippedVersions(const QByteArray &json)
    {
        QFile file(setup.shippedVersionsFile);
        if (file.open(QIODevice::WriteOnly))
            file.write(json);
    }

    QString path() const { return m_dir.path(); }

    RecordingRunner runner;
    EngineSetup setup;

private:
    QTemporaryDir m_dir;
};

// Points the scripted stand-in engine at a script made of `steps`, one per line.
inline QString writeEngineScript(const QString &folder, const QStringList &steps)
{
    const QString path = folder + QStringLiteral("/engine-script.txt");
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(steps.join(QLatin1Char('\n')).toUtf8() + '\n');
    qputenv("OSTREL_STANDIN_ENGINE_SCRIPT", path.toLocal8Bit());
    return path;
}

// The runs the scripted engine recorded: each its pid followed by its arguments.
inline QList<QStringList> recordedRuns(const QString &recordFile)
{
    QFile file(recordFile);
    QList<QStringList> runs;
    if (!file.open(QIODevice::ReadOnly))
        return runs;
    QStringList current;
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (line.isEmpty()) {
            if (!current.isEmpty())
                runs.append(current);
            current.clear();
            continue;
        }
        current.append(QString::fromUtf8(line));
    }
    return runs;
}
