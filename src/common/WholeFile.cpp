#include "common/WholeFile.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace {

QString failure(const QString &path, const QString &reason)
{
    return QStringLiteral("cannot write %1: %2").arg(QDir::toNativeSeparators(path), reason);
}

// The file's own error text; where Qt has none (a failed flush leaves "Unknown error"), the
// system's reason for the call that just failed.
QString reasonOf(const QSaveFile &file)
{
    const int error = errno;
    const QString reason = file.errorString();
    if (!reason.isEmpty() && reason != QLatin1String("Unknown error"))
        return reason;
    return error != 0 ? QString::fromLocal8Bit(std::strerror(error)) : QStringLiteral("write error");
}

// Drops the temporary file now, not when the QSaveFile goes: a download's writer lives on after
// its failure. commit() of a cancelled file removes it and renames nothing.
QString drop(QSaveFile &file, const QString &reason)
{
    const QString path = file.fileName();
    file.cancelWriting();
    file.commit();
    return failure(path, reason);
}

} // namespace

QString WholeFile::write(const QString &path, const QByteArray &content,
                         std::optional<QFileDevice::Permissions> permissions)
{
    const QString folder = QFileInfo(path).absolutePath();
    errno = 0;
    if (!QDir().mkpath(folder)) {
        // mkdir's own reason where it left one (a full disk cannot take a folder either).
        const int error = errno;
        return failure(path, error != 0 ? QString::fromLocal8Bit(std::strerror(error))
                                        : QStringLiteral("its folder cannot be made"));
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return failure(path, reasonOf(file));
    if (permissions && !file.setPermissions(*permissions))
        return drop(file, QStringLiteral("its permissions cannot be set"));
    if (file.write(content) != content.size())
        return drop(file, reasonOf(file));
    return commit(file);
}

QString WholeFile::commit(QSaveFile &file)
{
    const QString path = file.fileName();
    if (!file.isOpen())
        return failure(path, QStringLiteral("it was not open for writing"));
    // A writer that met an error earlier (a short write it did not check) is not committed either.
    if (file.error() != QFileDevice::NoError)
        return drop(file, reasonOf(file));
    if (!file.flush())
        return drop(file, reasonOf(file));
    // On the disk before it takes the old file's name: a crash right after the rename must not
    // leave an empty file where the old one was.
    if (::fsync(file.handle()) != 0)
        return drop(file, QString::fromLocal8Bit(std::strerror(errno)));
    if (!file.commit())
        return failure(path, reasonOf(file));
    return {};
}
