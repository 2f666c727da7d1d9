#include "webcore/OOPackagePipeline.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QThreadPool>

#include "common/Hashing.h"
#include "common/SafeArchiveExtractor.h"
#include "common/GuiThread.h"
#include "common/ThreadHandOff.h"
#include "common/UrlUtils.h"
#include "common/WholeFile.h"
#include "networking/OONetWork.h"
#include "webcore/OOPackageFiles.h"
#include "webcore/WebLog.h"

namespace {

bool writeWhole(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(bytes) == bytes.size() && file.flush();
}

// The file's bytes put at the target whole, in one rename, so a reader sees the old file or the
// new one; on a full disk the old one stays. Why it failed, or the empty string.
QString replaceWhole(const QString &source, const QString &target)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return QStringLiteral("cannot read %1: %2").arg(source, in.errorString());
    if (!QDir().mkpath(QFileInfo(target).absolutePath()))
        return QStringLiteral("cannot make the folder of %1").arg(target);
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly))
        return QStringLiteral("cannot write %1: %2").arg(target, out.errorString());
    // Both ends are plain files we opened ourselves; copy in blocks so a large page set is fine.
    QByteArray block;
    while (!(block = in.read(64 * 1024)).isEmpty()) {
        if (out.write(block) != block.size())
            break; // WholeFile::commit() sees the write's error and drops the file
    }
    if (in.error() != QFileDevice::NoError) {
        out.cancelWriting();
        out.commit(); // drops the temporary file: a cancelled QSaveFile renames nothing
        return QStringLiteral("cannot read %1: %2").arg(source, in.errorString());
    }
    return WholeFile::commit(out);
}

} // namespace

QString OOPackagePipeline::resultName(Result result)
{
    switch (result) {
    case Result::Installed: return QStringLiteral("installed");
    case Result::NoData: return QStringLiteral("no data");
    case Result::ChecksumRefused: return QStringLiteral("checksum refused");
    case Result::WriteFailed: return QStringLiteral("archive not written");
    case Result::UnzipFailed: return QStringLiteral("unzip failed");
    case Result::InstallFailed: return QStringLiteral("install failed");
    }
    return QString();
}

OOPackagePipeline::Result OOPackagePipeline::install(const QByteArray &archive, const Request &request,
                                                     QString *installedFrom)
{
    QTemporaryDir work(QDir::tempPath() + QStringLiteral("/ostrel-package-XXXXXX"));
    if (!work.isValid())
        return Result::WriteFailed;
    const QString archivePath = work.filePath(QStringLiteral("package.zip"));
    if (!writeWhole(archivePath, archive)) {
        webLog(QStringLiteral("临时路径:%1").arg(QUrl::fromLocalFile(archivePath).toString()), Q_FUNC_INFO);
        return Result::WriteFailed;
    }

    const std::optional<QString> md5 = fileMD5Hex(archivePath);
    if (request.checksummed)
        request.checksummed(md5.value_or(QString()));
    const std::optional<QString> expected = UrlUtils::urlQueryValueFromString(QStringLiteral("md5key"), request.url);
    // Exact comparison: the service writes lower-case digits, and anything else is not its archive.
    if (!md5 || !expected || expected->isEmpty() || *md5 != *expected) {
        webLog(QStringLiteral("%1: checksum %2 does not match the address's md5key; nothing installed")
                   .arg(request.name, md5.value_or(QString())),
               Q_FUNC_INFO);
        return Result::ChecksumRefused;
    }

    SafeArchiveExtractor::Options options;
    options.password = OOPackageFiles::packagePassword();
    const QString unpacked = work.filePath(QStringLiteral("unpacked"));
    const SafeArchiveExtractor::Result extracted = SafeArchiveExtractor::extractFile(archivePath, unpacked, options);
    if (!extracted.ok() || extracted.files.isEmpty()) {
        webLog(QStringLiteral("%1 下载失败 路径：%2 (%3)")
                   .arg(request.name, request.targetPath,
                        extracted.ok() ? QStringLiteral("the archive holds no file") : extracted.error),
               Q_FUNC_INFO);
        return Result::UnzipFailed;
    }
    // A package holds one file. Should one hold several, the last stays in place, as each would
    // in turn have replaced the one before; it is installed (and recorded) once.
    const QString chosen = extracted.files.last();
    if (extracted.files.size() > 1)
        webLog(QStringLiteral("%1: the archive holds %2 files; the last one is installed")
                   .arg(request.name).arg(extracted.files.size()),
               Q_FUNC_INFO);
    if (const QString failed = replaceWhole(chosen, request.targetPath); !failed.isEmpty()) {
        webLog(QStringLiteral("%1: %2 could not be replaced, the old file stays (%3)")
                   .arg(request.name, request.targetPath, failed),
               Q_FUNC_INFO);
        return Result::InstallFailed;
    }
    if (installedFrom)
        *installedFrom = extracted.entryNames.last();
    return Result::Installed;
}

void OOPackagePipeline::run(const Request &request, QObject *context, Completion completion)
{
    QPointer<QObject> guard(context);
    auto finish = [guard, completion](Result result, const QString &from) {
        // Always from the application's event loop, and only while the caller is there.
        GuiThread::post(QCoreApplication::instance(), [guard, completion, result, from] {
            if (guard && completion)
                completion(result, from);
        });
    };
    OONetWork::shared().requestConfigRawData(
        QStringLiteral("GET"), request.url,
        [request, guard, finish](std::optional<QByteArray> data, std::optional<NetError>) {
            if (!guard)
                return;
            if (!data) {
                webLog(QStringLiteral("%1: download failed").arg(request.name), Q_FUNC_INFO);
                return finish(Result::NoData, QString());
            }
            const QByteArray bytes = *data;
            QThreadPool::globalInstance()->start(ThreadHandOff::carried([request, bytes, finish] {
                QString from;
                const Result result = install(bytes, request, &from);
                finish(result, from);
            }));
        });
}
