#pragma once

#include <QObject>
#include <QString>

#include <functional>

// One package from its address to an installed file: download, checksum against the address's
// "md5key", unpack with the package password, and put the archive's file in place.
//
// Each run works in its own private temporary folder, removed when it ends, so runs never see
// each other's files. The checksum, the unpacking and the install run on a worker thread; the
// completion comes back on the GUI thread exactly once, in a later turn, and not at all when
// `context` is gone by then.
class OOPackagePipeline
{
public:
    enum class Result {
        Installed,
        NoData,           // the download failed, or the answer was not 2xx
        ChecksumRefused,  // no "md5key", an empty one, or not exactly the archive's MD5
        WriteFailed,      // the downloaded archive could not be written
        UnzipFailed,      // not an archive, wrong password, a hostile entry, or no file in it
        InstallFailed,    // the target could not be replaced
    };

    struct Request
    {
        QString url;          // what is fetched; "md5key" is read from it
        QString name;         // the list name or key, for the log
        QString targetPath;   // the installed file, replaced in one rename
        // Told the archive's MD5 (empty when it could not be read) once it is computed, on the
        // worker thread; the route lists log it.
        std::function<void(const QString &md5)> checksummed;
    };

    using Completion = std::function<void(Result, const QString &installedFrom)>;

    static void run(const Request &request, QObject *context, Completion completion);

    // The part after the download, for callers that already hold the bytes. Blocks; worker only.
    static Result install(const QByteArray &archive, const Request &request, QString *installedFrom = nullptr);

    static QString resultName(Result result);

private:
    OOPackagePipeline() = delete;
};
