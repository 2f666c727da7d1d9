#pragma once

#include <QObject>
#include <QString>

class QSaveFile;
class QThread;

// Writes the installer download to disk on a thread of its own, so that neither the writes nor
// the final flush of a file of gigabytes ever hold up the window. Chunks go in from the GUI
// thread in order; `written` says how many bytes reached the file, so the reader can keep what
// waits in memory small; `committed` ends it. The file appears at its place only when complete.
class InstallerFileWriter : public QObject
{
    Q_OBJECT
public:
    // Opens `destination` for writing (beside it) and starts the thread; nothing when the file
    // cannot be opened (`error` says why). The writer and its thread delete themselves once
    // `finish` or `cancel` has run.
    static InstallerFileWriter *open(const QString &destination, QString *error);

    // Callable from any thread; run in order on the writer's thread.
    void append(const QByteArray &chunk);
    void finish();
    void cancel();

Q_SIGNALS:
    void written(qint64 bytes);
    // The file is at its place (`ok`), or it was dropped and the earlier one kept.
    void committed(bool ok, const QString &error);

private:
    explicit InstallerFileWriter(QObject *parent = nullptr);
    void writeChunk(const QByteArray &chunk);
    void commitFile();
    void dropFile();
    void stop();

    QSaveFile *m_file = nullptr;
    bool m_failed = false;
    bool m_done = false;
};
