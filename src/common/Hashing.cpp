#include "common/Hashing.h"
#include "common/CommonLog.h"

#include <QCryptographicHash>
#include <QDebug>
#include <QFile>

QByteArray Hashing::sha256(const QByteArray &data)
{
    return QCryptographicHash::hash(data, QCryptographicHash::Sha256);
}

QString Hashing::sha256Hex(const QByteArray &data)
{
    return QString::fromLatin1(sha256(data).toHex());
}

QString Hashing::md5Hex(const QByteArray &data)
{
    return QString::fromLatin1(QCryptographicHash::hash(data, QCryptographicHash::Md5).toHex());
}

QString SSMD5(const QString &text)
{
    return Hashing::md5Hex(text.toUtf8());
}

QString SSMD5(const QByteArray &bytes)
{
    return Hashing::md5Hex(bytes);
}

std::optional<QString> fileMD5Hex(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qCDebug(lcCommon).noquote() << "File not found";
        return std::nullopt;
    }
    QCryptographicHash hash(QCryptographicHash::Md5);
    char buffer[1024];
    for (;;) {
        const qint64 read = file.read(buffer, sizeof buffer);
        if (read < 0) {
            // A file that cannot be read to its end must not pass as a short, "valid" archive.
            qCWarning(lcCommon).noquote() << "Reading failed for" << path << ":" << file.errorString();
            return std::nullopt;
        }
        if (read == 0)
            break;
        hash.addData(QByteArrayView(buffer, read));
    }
    return QString::fromLatin1(hash.result().toHex());
}
