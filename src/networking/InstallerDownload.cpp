#include "networking/InstallerDownload.h"

#include <QNetworkReply>
#include <QNetworkRequest>

#include <algorithm>

#include "networking/InstallerFileWriter.h"
#include "networking/ReplyGuard.h"

namespace {

// What the window can bear: the reply holds at most this much, and at most this much waits for
// the writer thread.
constexpr qint64 kReadChunk = 1024 * 1024;
constexpr qint64 kMaxPending = 8 * kReadChunk;
// Progress reports: a few a second are all a window can show.
constexpr qint64 kReportMs = 250;
// No installer of this client comes near this; a transfer without a length stops here.
constexpr qint64 kInstallerLimit = 4LL * 1024 * 1024 * 1024;
qint64 s_limit = kInstallerLimit;

int httpStatus(const QNetworkReply *reply)
{
    return reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
}

} // namespace

InstallerDownload::InstallerDownload(QNetworkReply *reply, InstallerFileWriter *writer, Handler handler, ErrorOf errorOf,
                                     QObject *parent)
    : QObject(parent)
    , m_reply(reply)
    , m_writer(writer)
    , m_handler(std::move(handler))
    , m_errorOf(std::move(errorOf))
{
    m_sinceReport.start();
    reply->setReadBufferSize(kReadChunk);
    connect(reply, &QNetworkReply::metaDataChanged, this, &InstallerDownload::readAnnouncedLength);
    connect(reply, &QNetworkReply::readyRead, this, [this] { pump(false); });
    connect(reply, &QNetworkReply::finished, this, &InstallerDownload::replyFinished);
    connect(writer, &InstallerFileWriter::written, this, [this](qint64 bytes) {
        m_pending -= bytes;
        pump(false);
    });
}

void InstallerDownload::setLimitForTesting(qint64 bytes)
{
    s_limit = bytes > 0 ? bytes : kInstallerLimit;
}

qint64 InstallerDownload::allowedBytes() const
{
    return m_announced > 0 ? std::min(m_announced, s_limit) : s_limit;
}

// A transfer counts only with a 2xx answer: an error page or an unfollowed redirect is never
// handed over as the installer.
bool InstallerDownload::replyFailed() const
{
    if (ReplyGuard::tooLarge(m_reply) || m_reply->error() != QNetworkReply::NoError)
        return true;
    const int status = httpStatus(m_reply);
    return status < 200 || status >= 300;
}

void InstallerDownload::readAnnouncedLength()
{
    const QVariant length = m_reply->header(QNetworkRequest::ContentLengthHeader);
    const int status = httpStatus(m_reply);
    if (!length.isValid() || status < 200 || status >= 300)
        return;
    m_announced = length.toLongLong();
    if (m_announced > s_limit)
        stopTooLarge();
}

void InstallerDownload::pump(bool drain)
{
    if (m_state != State::Receiving || !m_reply)
        return;
    // An error page arriving is no part of the installer (its end could read as "complete").
    if (replyFailed()) {
        m_reply->readAll();
        return;
    }
    while (m_reply->bytesAvailable() > 0 && (drain || m_pending < kMaxPending)) {
        const QByteArray chunk = m_reply->read(kReadChunk);
        m_received += chunk.size();
        if (m_received > allowedBytes()) {
            stopTooLarge();
            return;
        }
        m_pending += chunk.size();
        if (m_writer)
            m_writer->append(chunk);
    }
    // The last report waits for the file: "complete" must mean the installer is in place.
    if (m_announced <= 0 || m_received < m_announced)
        reportProgress(false);
}

void InstallerDownload::stopTooLarge()
{
    if (m_state != State::Receiving)
        return;
    m_state = State::TooLarge;
    ReplyGuard::markTooLarge(m_reply);
}

void InstallerDownload::reportProgress(bool force)
{
    if (!force && m_sinceReport.elapsed() < kReportMs)
        return;
    m_sinceReport.restart();
    if (m_handler)
        m_handler(DownloadProgress{m_received, m_announced}, false, std::nullopt);
}

void InstallerDownload::replyFinished()
{
    m_reply->deleteLater();
    if (m_state == State::Receiving && !replyFailed())
        pump(true);
    if (m_state == State::TooLarge) {
        end(NetError{NetError::Malformed, QStringLiteral("The download is larger than announced")});
        return;
    }
    if (replyFailed()) {
        end(m_errorOf(m_reply));
        return;
    }
    if (!m_writer || (m_announced > 0 && m_received < m_announced)) {
        end(NetError{NetError::Malformed, QStringLiteral("Could not write the download")});
        return;
    }
    m_state = State::Committing;
    connect(m_writer, &InstallerFileWriter::committed, this, &InstallerDownload::writerCommitted);
    m_writer->finish();
}

void InstallerDownload::writerCommitted(bool ok, const QString &error)
{
    if (!ok) {
        end(NetError{NetError::Malformed, error});
        return;
    }
    if (m_announced > 0 && m_handler)
        m_handler(DownloadProgress{m_received, m_announced}, false, std::nullopt);
    end(std::nullopt);
}

void InstallerDownload::end(const std::optional<NetError> &failure)
{
    // A failed transfer leaves any earlier installer where it was.
    if (failure && m_writer && m_state != State::Committing)
        m_writer->cancel();
    m_state = State::Ended;
    deleteLater();
    if (!m_handler)
        return;
    if (failure)
        m_handler(std::nullopt, false, *failure);
    else
        m_handler(std::nullopt, true, std::nullopt);
}
