#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

// Starts a program that outlives the client (the helper daemon, the desktop's link opener, the
// relaunch after an upgrade) in a session of its own, holding nothing of the client's but the
// standard streams. QProcess::startDetached would hand it every descriptor the client has open
// without close-on-exec (its log file, the web engine's shared memory, resource packs and
// sockets), and the web engine's helper processes then live on as long as that program does.
class DetachedProcess
{
public:
    struct Result
    {
        qint64 pid = 0; // the started program's process id
        QString error;  // why it did not start; empty when it did

        bool ok() const { return error.isEmpty(); }
    };

    // `program` without a slash is looked up in PATH. Returns once the program runs (or failed
    // to): its exec is checked, as QProcess::startDetached checks it.
    static Result start(const QString &program, const QStringList &arguments,
                        const QString &workingDirectory = {});
    // Hands `url` to the desktop's opener (xdg-open), which passes it to the browser or the mail
    // program. The caller decides which links may leave.
    static Result openUrl(const QUrl &url);

private:
    DetachedProcess() = delete;
};
