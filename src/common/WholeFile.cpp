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

// The file's own error text, or a plain one where Qt has none.
QString reasonOf(const QSaveFile &file)
{
    const QString reason = file.errorString();
    return reason.isEmpty() ? QStringLiteral("write error") : reason;
}

} // namespace

QString WholeFile::write(const QString &path, const QByteArray &content,
                         std::optional<QFileDevice::Permissions> permissions)
{
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder))
        return failure(path, QStringLiteral("its folder cannot be made"));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return failure(path, reasonOf(file));
    if (permissions && !file.setPermissions(*permissions)) {
        file.cancelWriting();
        return failure(path, QStringLiteral("its permissions cannot be set"));
    }
    if (file.write(content) != content.size()) {
        const QString reason = reasonOf(file);
        file.cancelWriting();
        return failure(path, reason);
    }
    return commit(file);
}

QString WholeFile::commit(QSaveFile &file)
{
    const QString path = file.fileName();
    if (!file.flush()) {
        const QString reason = reasonOf(file);
        file.cancelWriting();
        return failure(path, reason);
    }
    // On the disk before it takes the old file's name: a crash right after the rename must not
    // leave an empty file where the old one was.
    if (::fsync(file.handle()) != 0) {
        const QString reason = QString::fromLocal8Bit(std::strerror(errno));
        file.cancelWriting();
        return failure(path, reason);
    }
    if (!file.commit())
        return failure(path, reasonOf(file));
    return {};
}
