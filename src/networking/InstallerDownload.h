#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>

#include <functional>
#include <optional>

#include "networking/DownloadProgress.h"
#include "networking/NetError.h"

class InstallerFileWriter;
class QNetworkReply;

// One installer download, from the reply's first header to the file at its place. It reads the
// reply in bounded chunks into the writer (a download of gigabytes never sits in memory),
// reports progress a few times a second, and stops a transfer that grows past the length the
// server announced or past a limit no installer comes near. It deletes itself once ended.
class InstallerDownload : public QObject
{
    Q_OBJECT
public:
    using Handler = DownloadHandler;
    // The failure a reply that ended in error stands for (the network tool's codes and texts).
    using ErrorOf = std::function<NetError(QNetworkReply *)>;

    enum class State {
        Receiving,    // bytes go from the reply to the writer
        TooLarge,     // past the announced length or the limit: the reply is being stopped
        Committing,   // every byte arrived; the writer is putting the file in place
        Ended,        // the handler heard the outcome
    };

    // Takes over `reply` and `writer` (both must be fresh); `handler` hears progress, then
    // exactly one outcome: done, or a failure.
    InstallerDownload(QNetworkReply *reply, InstallerFileWriter *writer, Handler handler, ErrorOf errorOf,
                      QObject *parent);

    State state() const { return m_state; }

    // 0 or less: the usual limit.
    static void setLimitForTesting(qint64 bytes);

private:
    qint64 allowedBytes() const;
    bool replyFailed() const;
    void readAnnouncedLength();
    void pump(bool drain);
    void stopTooLarge();
    void reportProgress(bool force);
    void replyFinished();
    void writerCommitted(bool ok, const QString &error);
    void end(const std::optional<NetError> &failure);

    QPointer<QNetworkReply> m_reply;
    QPointer<InstallerFileWriter> m_writer;
    Handler m_handler;
    ErrorOf m_errorOf;
    State m_state = State::Receiving;
    qint64 m_received = 0;
    qint64 m_announced = -1;   // -1 until the server names a length
    qint64 m_pending = 0;      // handed to the writer, not yet on disk
    QElapsedTimer m_sinceReport;
};
