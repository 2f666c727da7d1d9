#include "support/SmallDisk.h"
#include "support/ChildTrial.h"
#include "support/WantedSkip.h"

#include <QByteArray>
#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

namespace {

using ChildTrial::errorText;
using ChildTrial::writeFile;

bool g_entered = false;

// Why the program could not move, when it could not. Made on first use: the move comes before
// the dynamic initialisers of this file, which would empty a plain global afterwards.
std::string &notEntered()
{
    static std::string text;
    return text;
}

// How a move, or a step of it, ended: why it failed, or nothing, and whether the process had
// already left the namespace it was in.
struct Move
{
    std::optional<std::string> failed;
    bool left = false;
};

// A user namespace in which this user stays this user (files keep their owner), holding a new
// mount namespace. Only a program with a single thread may make one, as this one is before main.
Move unshareAsUser()
{
    const uid_t uid = ::geteuid();
    const gid_t gid = ::getegid();
    if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0)
        return {errorText("no user and mount namespace"), false};
    const std::string uidMap = std::to_string(uid) + ' ' + std::to_string(uid) + " 1\n";
    const std::string gidMap = std::to_string(gid) + ' ' + std::to_string(gid) + " 1\n";
    if (!writeFile("/proc/self/setgroups", "deny") || !writeFile("/proc/self/uid_map", uidMap)
        || !writeFile("/proc/self/gid_map", gidMap))
        return {errorText("cannot map the user into its namespace"), true};
    return {std::nullopt, true};
}

// The whole move: a mount namespace (a plain one where the program has the right, as root or
// inside the user namespace its own network was made in; else inside a user namespace of its
// own), whose mounts stay in it.
Move move()
{
    Move moved;
    if (::unshare(CLONE_NEWNS) == 0) {
        moved.left = true;
    } else {
        moved = unshareAsUser();
        if (moved.failed)
            return moved;
    }
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        moved.failed = errorText("cannot make the mounts private");
    return moved;
}

// Whether the move works here and a tmpfs may then be mounted, tried in a child that ends with it:
// a kernel may make the namespaces and refuse the mount, which the program could not undo.
std::optional<std::string> tryMove()
{
    return ChildTrial::run([]() -> std::optional<std::string> {
        if (std::optional<std::string> failed = move().failed)
            return failed;
        // Over the root itself: in the child's own namespace, and gone with it.
        if (::mount("ostrel-small-disk", "/", "tmpfs", 0, "size=64k") != 0)
            return errorText("cannot mount a tmpfs");
        return std::nullopt;
    });
}

std::optional<std::string> enter()
{
    if (const std::optional<std::string> denied = tryMove())
        return denied;
    const Move moved = move();
    if (moved.failed && moved.left) {
        // Half made, though the same move had just worked in the child: a mount now might reach
        // the machine's namespace. The program ends here, before main, saying why.
        std::fprintf(stderr, "FAILED: the program's own mount namespace is half made: %s\n", moved.failed->c_str());
        std::_Exit(1);
    }
    return moved.failed;
}

// After the move into a network of the program's own (constructor 101), whose user namespace, as
// a normal user, is the one this mount namespace must belong to for the program to mount in it;
// still before main, while the program has one thread.
__attribute__((constructor(102))) void enterOwnMounts()
{
    const std::optional<std::string> failed = enter();
    g_entered = !failed;
    if (failed)
        notEntered() = *failed;
}

constexpr char kFillerName[] = ".small-disk-filler";

} // namespace

SmallDisk::SmallDisk(const QString &folder, qint64 bytes)
    : m_folder(QDir(folder).absolutePath())
{
    if (!g_entered) {
        m_unavailable = WantedSkip::skip(WantedSkip::Want::Namespace,
                                         "no mount namespace of the program's own can be had here: " + notEntered());
        return;
    }
    if (!QDir().mkpath(m_folder)) {
        m_unavailable = "cannot make " + m_folder.toStdString();
        ADD_FAILURE() << *m_unavailable;
        return;
    }
    const std::string options = "size=" + std::to_string(bytes) + ",mode=0700";
    const QByteArray target = QFile::encodeName(m_folder);
    if (::mount("ostrel-small-disk", target.constData(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) != 0) {
        m_unavailable = errorText("cannot mount a tmpfs over " + m_folder.toStdString());
        ADD_FAILURE() << *m_unavailable;
        return;
    }
    m_mounted = true;
}

SmallDisk::~SmallDisk()
{
    if (m_mounted)
        ::umount2(QFile::encodeName(m_folder).constData(), MNT_DETACH);
}

std::optional<std::string> SmallDisk::unavailable() const
{
    return m_unavailable;
}

bool SmallDisk::fill()
{
    if (!m_mounted) {
        ADD_FAILURE() << "the small disk is not mounted";
        return false;
    }
    const QByteArray path = QFile::encodeName(m_folder + QLatin1Char('/') + QLatin1String(kFillerName));
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0) {
        ADD_FAILURE() << errorText("cannot make the filler " + path.toStdString());
        return false;
    }
    // Page by page, then byte by byte: the last partial page is taken too.
    const std::string page(4096, 'x');
    int error = 0;
    for (size_t size = page.size(); size > 0 && error == 0;) {
        const ssize_t written = ::write(fd, page.data(), size);
        if (written >= 0)
            continue;
        if (errno == ENOSPC && size > 1) {
            size = 1;
            continue;
        }
        error = errno;
    }
    ::close(fd);
    if (error != ENOSPC) {
        ADD_FAILURE() << "filling the small disk ended with " << std::strerror(error) << ", not a full disk";
        return false;
    }
    return true;
}

void SmallDisk::makeRoom()
{
    QFile::remove(m_folder + QLatin1Char('/') + QLatin1String(kFillerName));
}
