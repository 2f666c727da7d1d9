// Packs the local pages into the archives the client ships:
//   ostrel-pagepack RESOURCES OUT.zip DIR...
//   ostrel-pagepack --plain OUT.zip DIR...
// Every file under each DIR goes into the archive under its path relative to that DIR (a later
// DIR's file replaces an earlier one of the same name), encrypted with the package password of
// RESOURCES/protocol.json, or not at all with --plain (the default notice page). Local and
// central headers agree, as the client's extractor demands (cmake -E tar's zip writer does not). Entries carry a fixed time and are written in name order, so the same
// sources give the same listing (the AES salt still differs from run to run).
#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QSaveFile>

#include <cstdio>

#include <zip.h>

#include "common/AppPaths.h"
#include "common/ProtocolConfig.h"

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 4) {
        std::fprintf(stderr, "usage: ostrel-pagepack RESOURCES|--plain OUT.zip DIR...\n");
        return 2;
    }
    const bool plain = args.at(1) == QLatin1String("--plain");
    QByteArray password;
    if (!plain) {
        AppPaths::setResourceFolderForTesting(args.at(1));
        password = ProtocolConfig::resourceArchivePassword().toUtf8();
    }
    if (!plain && password.isEmpty()) {
        std::fprintf(stderr, "no package password in %s/protocol.json\n", qPrintable(args.at(1)));
        return 1;
    }
    QMap<QString, QByteArray> files;
    for (const QString &dir : args.mid(3)) {
        QDirIterator it(dir, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly)) {
                std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
                return 1;
            }
            files.insert(QDir(dir).relativeFilePath(path), file.readAll());
        }
    }
    const QString out = args.at(2);
    const QString temp = out + QStringLiteral(".part");
    QFile::remove(temp);
    int error = 0;
    zip_t *zip = zip_open(QFile::encodeName(temp).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!zip)
        return 1;
    for (auto it = files.constBegin(); it != files.constEnd(); ++it) {
        zip_source_t *source = zip_source_buffer(zip, it.value().constData(), zip_uint64_t(it.value().size()), 0);
        const zip_int64_t index = source ? zip_file_add(zip, it.key().toUtf8().constData(), source, ZIP_FL_ENC_UTF_8) : -1;
        if (index < 0) {
            if (source)
                zip_source_free(source);
            zip_discard(zip);
            return 1;
        }
        zip_file_set_mtime(zip, zip_uint64_t(index), 315532800 + 86400, 0);
        if (!plain)
            zip_file_set_encryption(zip, zip_uint64_t(index), ZIP_EM_AES_256, password.constData());
    }
    if (zip_close(zip) != 0) {
        zip_discard(zip);
        return 1;
    }
    QFile::remove(out);
    return QFile::rename(temp, out) ? 0 : 1;
}
