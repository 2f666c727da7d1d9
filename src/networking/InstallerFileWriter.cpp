#include "networking/InstallerFileWriter.h"

#include "common/ProcessTeardown.h"
#include "common/ThreadHandOff.h"
#include "common/WholeFile.h"

#include <QSaveFile>
#include <QThread>

#include <memory>

InstallerFileWriter::InstallerFileWriter(QObject *parent)
    : QObject(parent)
{
}

InstallerFileWriter *InstallerFileWriter::open(const QString &destination, QString *error)
{
    std::unique_ptr<InstallerFileWriter> made(new InstallerFileWriter());
    made->m_file = new QSaveFile(destination, made.get());
    if (!made->m_file->open(QIODevice::WriteOnly)) {
        if (error)
            *error = made->m_file->errorString();
        return nullptr;
    }
    // From here the thread owns it: it goes when the thread has finished.
    InstallerFileWriter *writer = made.release();
    auto *thread = new QThread();
    thread->setObjectName(QStringLiteral("installer writer"));
    writer->moveToThread(thread);
    connect(thread, &QThread::finished, writer, &QObject::deleteLater);
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    thread->start();
    // A download still running when the program ends: the thread must be over before the
    // application goes. The unfinished file is dropped with the writer (a save file that was
    // never committed leaves nothing at its place).
    ProcessTeardown::add(thread, [thread] {
        thread->quit();
        thread->wait();
    });
    return writer;
}

void InstallerFileWriter::append(const QByteArray &chunk)
{
    QMetaObject::invokeMethod(this, ThreadHandOff::carried([this, chunk] { writeChunk(chunk); }), Qt::QueuedConnection);
}

void InstallerFileWriter::finish()
{
    QMetaObject::invokeMethod(this, ThreadHandOff::carried([this] { commitFile(); }), Qt::QueuedConnection);
}

void InstallerFileWriter::cancel()
{
    QMetaObject::invokeMethod(this, ThreadHandOff::carried([this] { dropFile(); }), Qt::QueuedConnection);
}

void InstallerFileWriter::writeChunk(const QByteArray &chunk)
{
    if (m_done)
        return;
    // A failed write is remembered and the rest skipped: the commit then reports it.
    if (!m_failed && m_file->write(chunk) != chunk.size())
        m_failed = true;
    Q_EMIT written(chunk.size());
}

void InstallerFileWriter::commitFile()
{
    if (m_done)
        return;
    m_done = true;
    // The last chunk may still sit in the file's buffer: a full disk shows only at its flush, and
    // the file then goes, the earlier one kept. A failed write was remembered (and the rest
    // skipped); WholeFile sees its error too and drops the file.
    const QString error = WholeFile::commit(*m_file);
    if (!error.isEmpty())
        Q_EMIT committed(false, QStringLiteral("Could not write the download (%1)").arg(error));
    else
        Q_EMIT committed(true, QString());
    stop();
}

void InstallerFileWriter::dropFile()
{
    if (m_done)
        return;
    m_done = true;
    m_file->cancelWriting();
    stop();
}

void InstallerFileWriter::stop()
{
    // The file closes on this thread, before the thread ends.
    delete m_file;
    m_file = nullptr;
    thread()->quit();
}
