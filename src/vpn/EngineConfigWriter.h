#pragma once

#include <QJsonObject>
#include <QString>

// Writes an engine configuration file into the data folder's "private" folder.
//
// The files hold relay passwords and the session token: the folder is made 0700, the file 0600,
// and the text replaces the old file whole (WholeFile: written beside it, flushed, then renamed over
// it), so a failed write (a full disk) leaves the previous file as it was, the engine never reads
// half a file, and the error names the file and the system's reason.
class EngineConfigWriter
{
public:
    struct Result
    {
        bool ok = false;
        QString path;
        QString error; // empty when ok
    };

    static Result writePrivateJson(const QString &fileName, const QJsonObject &content);
    // The same into any folder (tests, other profiles); the folder is made 0700 when missing.
    static Result writeJson(const QString &folder, const QString &fileName, const QJsonObject &content);
};
