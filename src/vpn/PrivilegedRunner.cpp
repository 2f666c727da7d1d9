#include "vpn/PrivilegedRunner.h"

#include "common/GuiThread.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QPointer>
#include <QProcess>
#include <QStandardPaths>

#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// `allowSticky`: a folder others may write to is still safe above root's files when its sticky
// bit keeps them from renaming entries they do not own (/tmp).
QString ownershipProblem(const QString &path, bool allowSticky = false)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return QStringLiteral("cannot read %1").arg(path);
    if (info.st_uid != 0)
        return QStringLiteral("%1 is not owned by root").arg(path);
    if ((info.st_mode & (S_IWGRP | S_IWOTH)) && !(allowSticky && (info.st_mode & S_ISVTX)))
        return QStringLiteral("%1 is writable by others than root").arg(path);
    return QString();
}

QString failureText(int exitCode)
{
    // pkexec's own codes: the dialog was dismissed or the password refused.
    if (exitCode == 126 || exitCode == 127)
        return QStringLiteral("administrator authorisation refused");
    return QStringLiteral("install script failed with code %1").arg(exitCode);
}

} // namespace

PrivilegedRunner::~PrivilegedRunner() = default;

PrivilegedRunner &PrivilegedRunner::standard()
{
    static PrivilegedRunner runner;
    return runner;
}

QString PrivilegedRunner::scriptRefusal(const QString &scriptPath)
{
    const QFileInfo script(scriptPath);
    if (!script.isFile())
        return QStringLiteral("install script missing: %1").arg(scriptPath);
    const QString canonical = script.canonicalFilePath();
    if (const QString problem = ownershipProblem(canonical); !problem.isEmpty())
        return problem;
    // The script's folder holds its helper script and the engines it copies; and whoever may
    // rename any folder above could put another tree in its place.
    QString folder = QFileInfo(canonical).absolutePath();
    if (const QString problem = ownershipProblem(folder); !problem.isEmpty())
        return problem;
    while (folder != QLatin1String("/")) {
        folder = QFileInfo(folder).absolutePath();
        if (const QString problem = ownershipProblem(folder, true); !problem.isEmpty())
            return problem;
    }
    return QString();
}

void PrivilegedRunner::runScript(const QString &scriptPath, const QStringList &arguments, QObject *context, Done done)
{
    QObject *owner = context ? context : QCoreApplication::instance();
    execute(scriptPath, arguments, owner, GuiThread::later(owner, std::function<void(bool, QString)>(
        [done = std::move(done)](bool ok, QString detail) {
            if (done)
                done(ok, detail);
        })));
}

void PrivilegedRunner::execute(const QString &scriptPath, const QStringList &arguments, QObject *context, Done done)
{
    if (const QString refusal = scriptRefusal(scriptPath); !refusal.isEmpty()) {
        done(false, refusal);
        return;
    }
    const QString script = QFileInfo(scriptPath).canonicalFilePath();
    const bool asRoot = ::geteuid() == 0;
    const QString program = asRoot ? QStringLiteral("/bin/bash") : QStandardPaths::findExecutable(QStringLiteral("pkexec"));
    if (program.isEmpty()) {
        done(false, QStringLiteral("pkexec is not installed"));
        return;
    }
    const QStringList argv = (asRoot ? QStringList() : QStringList{QStringLiteral("/bin/bash")}) + QStringList{script} + arguments;

    // The process belongs to the context: if the context goes, the process and the answer go
    // with it. Otherwise the process goes once it has answered.
    auto *process = new QProcess(context);
    process->setProcessChannelMode(QProcess::MergedChannels);
    auto reply = std::make_shared<Done>(std::move(done));
    QPointer<QProcess> watched(process);
    QObject::connect(process, &QProcess::finished, process, [watched, reply](int exitCode, QProcess::ExitStatus status) {
        if (!watched || !*reply)
            return;
        const bool ok = status == QProcess::NormalExit && exitCode == 0;
        const QString output = QString::fromLocal8Bit(watched->readAll()).trimmed();
        watched->deleteLater();
        std::exchange(*reply, Done())(ok, ok ? output : failureText(exitCode));
    });
    QObject::connect(process, &QProcess::errorOccurred, process, [watched, reply, program](QProcess::ProcessError error) {
        if (!watched || error != QProcess::FailedToStart || !*reply)
            return;
        watched->deleteLater();
        std::exchange(*reply, Done())(false, QStringLiteral("cannot run %1").arg(program));
    });
    process->start(program, argv);
}
