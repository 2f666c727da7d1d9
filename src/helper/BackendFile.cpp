#include "helper/BackendFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace BackendFile {

std::optional<QByteArray> read(const QString &path, qint64 maxSize, QString *error)
{
    QFile file(path);
    if (!file.exists())
        return QByteArray();
    if (file.size() > maxSize || !file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1").arg(path);
        return std::nullopt;
    }
    return file.readAll();
}

QString write(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QStringLiteral("cannot write %1").arg(path);
    file.write(content);
    if (!file.commit())
        return QStringLiteral("cannot write %1").arg(path);
    return {};
}

} // namespace BackendFile
