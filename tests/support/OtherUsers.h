#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include <sys/stat.h>

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
