#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Builds zip archives in memory for tests, hostile ones included: any entry name is written as it
// stands ("../x", "/etc/x", "a\\b"), entries may be symlinks, and each entry may be encrypted.
class TestZipBuilder
{
public:
    enum class Encryption { None, Aes256 }; // libzip 1.7 writes no traditional encryption

    TestZipBuilder &addFile(const QString &name, const QByteArray &content);
    TestZipBuilder &addFolder(const QString &name);
    TestZipBuilder &addSymlink(const QString &name, const QString &linkTarget);
    // Applies to every entry added so far and later.
    TestZipBuilder &encrypt(const QString &password, Encryption method = Encryption::Aes256);

    QByteArray build() const;
    // Writes build() to a file; answers false when it could not.
    bool writeTo(const QString &path) const;

private:
    struct Item
    {
        QString name;
        QByteArray content;
        enum Kind { File, Folder, Symlink } kind = File;
    };
    QList<Item> m_items;
    QString m_password;
    Encryption m_encryption = Encryption::None;
};
