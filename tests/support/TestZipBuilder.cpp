#include "TestZipBuilder.h"

#include <QFile>

#include <sys/stat.h>

#include <zip.h>

TestZipBuilder &TestZipBuilder::addFile(const QString &name, const QByteArray &content)
{
    m_items.append({name, content, Item::File});
    return *this;
}

TestZipBuilder &TestZipBuilder::addFolder(const QString &name)
{
    m_items.append({name, {}, Item::Folder});
    return *this;
}

TestZipBuilder &TestZipBuilder::addSymlink(const QString &name, const QString &linkTarget)
{
    m_items.append({name, linkTarget.toUtf8(), Item::Symlink});
    return *this;
}

TestZipBuilder &TestZipBuilder::encrypt(const QString &password, Encryption method)
{
    m_password = password;
    m_encryption = method;
    return *this;
}

QByteArray TestZipBuilder::build() const
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t *target = zip_source_buffer_create(nullptr, 0, 0, &error);
    if (!target)
        return {};
    zip_source_keep(target);
    zip_t *zip = zip_open_from_source(target, ZIP_TRUNCATE, &error);
    if (!zip) {
        zip_source_free(target);
        return {};
    }
    for (const Item &item : m_items) {
        const QByteArray name = item.name.toUtf8();
        zip_int64_t index = -1;
        if (item.kind == Item::Folder) {
            index = zip_dir_add(zip, name.constData(), ZIP_FL_ENC_UTF_8);
        } else {
            zip_source_t *source = zip_source_buffer(zip, item.content.constData(), zip_uint64_t(item.content.size()), 0);
            index = zip_file_add(zip, name.constData(), source, ZIP_FL_ENC_UTF_8);
            if (index < 0)
                zip_source_free(source);
        }
        if (index < 0)
            continue;
        if (item.kind == Item::Symlink)
            zip_file_set_external_attributes(zip, zip_uint64_t(index), 0, ZIP_OPSYS_UNIX, zip_uint32_t(S_IFLNK | 0777) << 16);
        if (item.kind != Item::Folder && m_encryption != Encryption::None) {
            zip_file_set_encryption(zip, zip_uint64_t(index), ZIP_EM_AES_256, m_password.toUtf8().constData());
        }
    }
    if (zip_close(zip) != 0) {
        zip_discard(zip);
        zip_source_free(target);
        return {};
    }
    QByteArray bytes;
    if (zip_source_open(target) == 0) {
        char buffer[16 * 1024];
        zip_int64_t got = 0;
        while ((got = zip_source_read(target, buffer, sizeof buffer)) > 0)
            bytes.append(buffer, got);
        zip_source_close(target);
    }
    zip_source_free(target);
    return bytes;
}

bool TestZipBuilder::writeTo(const QString &path) const
{
    const QByteArray bytes = build();
    QFile file(path);
    return !bytes.isEmpty() && file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}
