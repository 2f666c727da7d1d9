#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Digests as the service and the package manifests write them: lower-case hexadecimal text.
class Hashing
{
public:
    static QByteArray sha256(const QByteArray &data);
    static QString sha256Hex(const QByteArray &data);
    static QString md5Hex(const QByteArray &data);

private:
    Hashing() = delete;
};

// MD5 as 32 lower-case hexadecimal digits, of a text's UTF-8 bytes or of raw bytes.
QString SSMD5(const QString &text);
QString SSMD5(const QByteArray &bytes);

// MD5 of a whole file read in 1,024-byte chunks. Prints "File not found" and gives nothing
// when the file cannot be opened (or a read fails half-way).
std::optional<QString> fileMD5Hex(const QString &path);
