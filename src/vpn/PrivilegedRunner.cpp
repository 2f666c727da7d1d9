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

void PrivilegedRunner::runScript(const QString &scriptPath, const QStringList &arguments, Elevation elevation,
                                 QObject *context, StatusDone done)
{
    QObject *owner = context ? context : QCoreApplication::instance();
    executeForStatus(scriptPath, arguments, elevation, owner, GuiThread::later(owner, std::function<void(Status)>(
        [done = std::move(done)](Status status) {
            if (done)
                done(status);
        })));
}

PrivilegedRunner::Command PrivilegedRunner::command(const QString &script, const QStringList &arguments, bool elevate)
{
    const QStringList scriptArguments = QStringList{script} + arguments;
    if (elevate)
        return {QStringLiteral("pkexec"), QStringList{QStringLiteral("/bin/bash")} + scriptArguments};
    return {QStringLiteral("/bin/bash"), scriptArguments};
}

bool PrivilegedRunner::elevates(Elevation elevation)
{
    return elevation == Elevation::Auto && ::geteuid() != 0;
}

bool PrivilegedRunner::runsAsRoot(Elevation elevation)
{
    return elevation == Elevation::Auto || ::geteuid() == 0;
}

void PrivilegedRunner::execute(const QString &scriptPath, const QStringList &arguments, QObject *context, Done done)
{
    executeForStatus(scriptPath, arguments, Elevation::Auto, context, [done = std::move(done)](const Status &status) {
        if (status.ok()) {
            done(true, QString::fromLocal8Bit(status.output).trimmed());
            return;
        }
        done(false, status.reason);
    });
}

void PrivilegedRunner::executeForStatus(const QString &scriptPath, const QStringList &arguments, Elevation elevation,
                                        QObject *context, StatusDone done)
{
    const bool elevate = elevates(elevation);
    auto refuse = [&done, elevate](Status::Kind kind, const QString &reason) {
        Status status;
        status.kind = kind;
        status.elevated = elevate;
        status.reason = reason;
        done(status);
    };
    if (!QFileInfo(scriptPath).isFile()) {
        refuse(Status::Kind::FailedToStart, QStringLiteral("install script missing: %1").arg(scriptPath));
        return;
    }
    // Whatever will run as root must be changeable by root alone.
    if (runsAsRoot(elevation)) {
        if (const QString refusal = scriptRefusal(scriptPath); !refusal.isEmpty()) {
            refuse(Status::Kind::Refused, refusal);
            return;
        }
    }
    Command command = PrivilegedRunner::command(QFileInfo(scriptPath).canonicalFilePath(), arguments, elevate);
    if (elevate) {
        command.program = QStandardPaths::findExecutable(command.program);
        if (command.program.isEmpty()) {
            refuse(Status::Kind::FailedToStart, QStringLiteral("pkexec is not installed"));
            return;
        }
    }

    // The process belongs to the context: if the context goes, the process and the answer go
    // with it. Otherwise the process goes once it has answered.
    auto *process = new QProcess(context);
    process->setProcessChannelMode(QProcess::MergedChannels);
    auto reply = std::make_shared<StatusDone>(std::move(done));
    QPointer<QProcess> watched(process);
    QObject::connect(process, &QProcess::finished, process,
                     [watched, reply, elevate](int exitCode, QProcess::ExitStatus exitStatus) {
        if (!watched || !*reply)
            return;
        Status status;
        status.kind = exitStatus == QProcess::NormalExit ? Status::Kind::Exited : Status::Kind::Crashed;
        status.exitCode = exitCode;
        status.elevated = elevate;
        status.output = watched->readAll();
        if (status.kind == Status::Kind::Crashed)
            status.reason = QStringLiteral("install script crashed");
        else if (exitCode != 0)
            status.reason = elevate ? failureText(exitCode) : QStringLiteral("install script failed with code %1").arg(exitCode);
        watched->deleteLater();
        std::exchange(*reply, StatusDone())(status);
    });
    QObject::connect(process, &QProcess::errorOccurred, process,
                     [watched, reply, elevate, program = command.program](QProcess::ProcessError error) {
        if (!watched || error != QProcess::FailedToStart || !*reply)
            return;
        watched->deleteLater();
        Status status;
        status.elevated = elevate;
        status.reason = QStringLiteral("cannot run %1").arg(program);
        std::exchange(*reply, StatusDone())(status);
    });
    process->start(command.program, command.arguments);
}
