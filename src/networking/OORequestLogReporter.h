#pragma once

#include <QList>
#include <QObject>

// Uploads the stored request-log rows (oldest first, a bounded batch) and deletes the rows the
// service accepted. Runs after the line list and after each connection report. Only the network
// transfer is asynchronous; the batch read is a short indexed query.
class OORequestLogReporter : public QObject
{
    Q_OBJECT
public:
    static OORequestLogReporter &shared();
    static constexpr int kBatchSize = 100;

    // Starts one upload unless one is already running. Callable from any thread.
    void uploadPending();
    bool isUploading() const { return m_uploading; }

Q_SIGNALS:
    void uploadFinished(bool accepted, int rows);

private:
    explicit OORequestLogReporter(QObject *parent = nullptr);
    void upload();
    void finish(bool accepted, const QList<qint64> &ids);

    bool m_uploading = false;
    quint64 m_attempt = 0;
};
