#include "helper/BackendFile.h"

#include "common/WholeFile.h"

#include <QFile>

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
    return WholeFile::write(path, content);
}

} // namespace BackendFile
