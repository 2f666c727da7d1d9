#include "StandinInstaller.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cerrno>
#include <cstring>
#include <csignal>
#include <ctime>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace {

bool writeFile(const QString &path, const QByteArray &content, QFile::Permissions permissions)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        return false;
    file.close();
    return file.setPermissions(permissions);
}

// Runs a command with its output in `log`, for at most `deadlineMs`. Not QProcess: the stand-in's
// request workers call this, and QProcess starts its child in this process's memory until the
// exec (vfork), where under ThreadSanitizer the child's calls land in the calling thread's
// bookkeeping and it stops seeing the locks that thread takes afterwards. posix_spawn's child
// runs none of the sanitizer's code.
bool runLogged(const QStringList &command, const QString &log, int deadlineMs, QString *failure)
{
    std::vector<QByteArray> words;
    for (const QString &word : command)
        words.push_back(QFile::encodeName(word));
    std::vector<char *> argv;
    for (QByteArray &word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const QByteArray logPath = QFile::encodeName(log);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, logPath.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    pid_t child = 0;
    const int started = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (started != 0) {
        *failure = QString::fromLocal8Bit(std::strerror(started));
        return false;
    }
    int status = 0;
    const timespec pause{0, 20 * 1000 * 1000};
    for (int waited = 0;; waited += 20) {
        const pid_t ended = ::waitpid(child, &status, WNOHANG);
        if (ended == child)
            break;
        if (ended < 0 && errno != EINTR) {
            *failure = QString::fromLocal8Bit(std::strerror(errno));
            return false;
        }
        if (waited >= deadlineMs) {
            ::kill(child, SIGKILL);
            ::waitpid(child, nullptr, 0);
            *failure = QStringLiteral("did not end in time");
            return false;
        }
        ::nanosleep(&pause, nullptr);
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
        return true;
    QFile output(log);
    *failure = output.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(output.readAll()) : QStringLiteral("failed");
    return false;
}

} // namespace

bool StandinInstaller::build(const QString &debPath, const QString &packageName, const QString &version, QString *error)
{
    QTemporaryDir tree;
    if (!tree.isValid()) {
        *error = QStringLiteral("no temporary folder");
        return false;
    }
    const QString root = tree.path() + QStringLiteral("/pkg");
    const QString doc = root + QStringLiteral("/usr/share/doc/") + packageName;
    if (!QDir().mkpath(root + QStringLiteral("/DEBIAN")) || !QDir().mkpath(doc)) {
        *error = QStringLiteral("cannot make the package tree");
        return false;
    }
    const QByteArray control = "Package: " + packageName.toUtf8() + "\nVersion: " + version.toUtf8()
        + "\nArchitecture: all\nMaintainer: Ostrel stand-in <standin@ostrel.invalid>\n"
          "Section: net\nPriority: optional\nDescription: stand-in upgrade of the Ostrel client\n"
          " Offered by the loopback stand-in service; carries one text file.\n";
    const QFile::Permissions readable = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther;
    if (!writeFile(root + QStringLiteral("/DEBIAN/control"), control, readable)
        || !writeFile(doc + QStringLiteral("/README.standin"), "stand-in upgrade package\n", readable)) {
        *error = QStringLiteral("cannot write the package files");
        return false;
    }
    QString failure;
    const QStringList command{QStringLiteral("dpkg-deb"), QStringLiteral("--root-owner-group"), QStringLiteral("--build"), root, debPath};
    if (!runLogged(command, tree.path() + QStringLiteral("/dpkg-deb.log"), 30000, &failure)) {
        *error = QStringLiteral("dpkg-deb failed: ") + failure;
        return false;
    }
    return true;
}

QByteArray StandinInstaller::package()
{
    std::lock_guard lock(m_mutex);
    if (m_tried)
        return m_package;
    m_tried = true;
    QTemporaryDir out;
    const QString deb = out.path() + QStringLiteral("/ostrel.deb");
    if (!out.isValid() || !build(deb, QStringLiteral("ostrel"), QString::fromLatin1(kVersion), &m_error))
        return m_package;
    QFile file(deb);
    if (file.open(QIODevice::ReadOnly))
        m_package = file.readAll();
    return m_package;
}

QString StandinInstaller::errorText() const
{
    std::lock_guard lock(m_mutex);
    return m_error;
}
