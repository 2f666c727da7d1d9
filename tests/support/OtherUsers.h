#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include <sys/stat.h>
#include <sys/types.h>

#include <fstream>

// Whether a process of another user can pass every folder on the way to `path`, as a test that
// plays another user's process needs for the folder it shares with it. The system's temporary
// folder lets everyone pass; a TMPDIR private to the user does not.
inline bool otherUsersCanReach(const QString &path)
{
    for (QString at = QFileInfo(path).absolutePath(); ; at = QFileInfo(at).absolutePath()) {
        struct stat status {};
        if (::stat(QFile::encodeName(at).constData(), &status) != 0 || !(status.st_mode & S_IXOTH))
            return false;
        if (QDir(at).isRoot())
            return true;
    }
}

// Whether this process's user namespace has `uid` at all: root inside a namespace that maps only
// itself (`unshare -Ur`) is root, yet can neither run as nor give a file to any other user.
inline bool userIsMapped(uid_t uid)
{
    std::ifstream map("/proc/self/uid_map");
    unsigned long inside = 0, outside = 0, count = 0;
    while (map >> inside >> outside >> count) {
        if (uid >= inside && uid - inside < count)
            return true;
    }
    return false;
}
