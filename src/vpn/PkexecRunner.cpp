#include "vpn/PkexecRunner.h"

#include <QFileInfo>
#include <QPointer>
#include <QProcess>

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

} // namespace

QString PkexecRunner::scriptRefusal(const QString &scriptPath)
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

void PkexecRunner::runScript(const QString &scriptPath, QObject *guard, Done done)
{
    if (const QString refusal = scriptRefusal(scriptPath); !refusal.isEmpty()) {
        done(false, refusal);
        return;
    }
    const QString script = QFileInfo(scriptPath).canonicalFilePath();
    const bool asRoot = ::geteuid() == 0;
    const QString program = asRoot ? QStringLiteral("/bin/bash") : QStringLiteral("pkexec");
    const QStringList arguments = asRoot ? QStringList{script} : QStringList{QStringLiteral("/bin/bash"), script};

    // The process belongs to the guard: if the guard goes, the process and the reply go with it.
    // Without a guard the process answers to itself and goes once it has reported.
    auto *process = new QProcess(guard);
    QObject *context = guard ? guard : process;
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    auto reply = std::make_shared<Done>(std::move(done));
    QPointer<QProcess> watched(process);
    QObject::connect(process, &QProcess::finished, context,
                     [watched, reply](int exitCode, QProcess::ExitStatus status) {
                         if (!*reply)
                             return;
                         const bool ok = status == QProcess::NormalExit && exitCode == 0;
                         const QString error = ok ? QString()
                             : exitCode == 126 || exitCode == 127
                                 ? QStringLiteral("administrator authorisation refused")
                                 : QStringLiteral("install script failed with code %1").arg(exitCode);
                         Done call = std::exchange(*reply, Done());
                         if (watched)
                             watched->deleteLater();
                         call(ok, error);
                     });
    QObject::connect(process, &QProcess::errorOccurred, context,
                     [watched, reply, program](QProcess::ProcessError error) {
                         if (error != QProcess::FailedToStart || !*reply)
                             return;
                         Done call = std::exchange(*reply, Done());
                         if (watched)
                             watched->deleteLater();
                         call(false, QStringLiteral("cannot run %1").arg(program));
                     });
    process->start(program, arguments);
}
