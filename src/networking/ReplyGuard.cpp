#include "networking/ReplyGuard.h"

#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTimer>

namespace {

const char *kTooLarge = "ostrel_too_large";
const char *kPastDeadline = "ostrel_past_deadline";
const char *kCarried = "ostrel_carried";
const char *kGivenUpUncarried = "ostrel_given_up_uncarried";
// Without a bound of its own, Qt's network thread keeps taking in whatever the server sends,
// however little of it reaches the reply: the bound makes it wait for the guard's reads.
constexpr qint64 kReadChunk = 1024 * 1024;

bool startsFromTheEventLoop(const QNetworkReply *reply)
{
    const QNetworkAccessManager::Operation operation = reply->operation();
    return operation == QNetworkAccessManager::PostOperation || operation == QNetworkAccessManager::PutOperation
        || operation == QNetworkAccessManager::CustomOperation;
}

// Aborts `reply` once `ms` have passed while it still runs, marking it with `mark`; none for 0 or
// less. The reply is the timer's parent: a reply that ended and went takes its timer along.
QTimer *abortAfter(QNetworkReply *reply, int ms, const char *mark)
{
    if (ms <= 0)
        return nullptr;
    auto *timer = new QTimer(reply);
    timer->setSingleShot(true);
    QObject::connect(timer, &QTimer::timeout, reply, [reply, mark] {
        if (!reply->isRunning())
            return;
        reply->setProperty(mark, true);
        reply->abort();
    });
    timer->start(ms);
    return timer;
}

} // namespace

ReplyGuard::ReplyGuard(QNetworkReply *reply, qint64 maxBytes, Body body)
    : QObject(reply)
    , m_reply(reply)
    , m_maxBytes(maxBytes)
    , m_keep(body)
{
    // Qt's network thread takes the bound only from a request already under way there and drops
    // one given earlier; it then reads as fast as the server sends, and an endless answer fills
    // memory faster than an abort reaches that thread. A request with a body gets under way from
    // the event loop, after its maker returned: for a body given whole (a byte array or a
    // multipart form, all this client sends) it is started here first. A body read from a
    // sequential device is buffered before the request starts, so such a request may start later.
    if (startsFromTheEventLoop(reply))
        QCoreApplication::sendPostedEvents(reply, QEvent::MetaCall);
    reply->setReadBufferSize(kReadChunk);
    connect(reply, &QNetworkReply::readyRead, this, &ReplyGuard::readArrived);
}

void ReplyGuard::hold(QNetworkReply *reply, qint64 maxBytes, int deadlineMs, Body body)
{
    new ReplyGuard(reply, maxBytes, body);
    abortAfter(reply, deadlineMs, kPastDeadline);
}

void ReplyGuard::readArrived()
{
    if (tooLarge(m_reply))
        return;
    const QByteArray chunk = m_reply->readAll();
    m_read += chunk.size();
    if (m_maxBytes > 0 && m_read > m_maxBytes) {
        m_body.clear();
        markTooLarge(m_reply);
        return;
    }
    if (m_keep == Body::Keep)
        m_body += chunk;
}

QByteArray ReplyGuard::takeBody(QNetworkReply *reply)
{
    auto *guard = reply->findChild<ReplyGuard *>(QString(), Qt::FindDirectChildrenOnly);
    if (!guard)
        return reply->readAll();
    guard->readArrived();
    return std::exchange(guard->m_body, QByteArray());
}

void ReplyGuard::markTooLarge(QNetworkReply *reply)
{
    if (tooLarge(reply))
        return;
    reply->setProperty(kTooLarge, true);
    reply->abort();
}

bool ReplyGuard::tooLarge(const QNetworkReply *reply)
{
    return reply->property(kTooLarge).toBool();
}

bool ReplyGuard::pastDeadline(const QNetworkReply *reply)
{
    return reply->property(kPastDeadline).toBool();
}

void ReplyGuard::watchCarried(QNetworkReply *reply, int giveUpMs)
{
    QTimer *giveUp = abortAfter(reply, giveUpMs, kGivenUpUncarried);
    // The give-up stops at once, not on a later turn of the loop: one due in this very turn
    // would abort a request already on its way, and the request would be sent again elsewhere.
    const auto markCarried = [reply, giveUp] {
        reply->setProperty(kCarried, true);
        if (giveUp)
            giveUp->stop();
    };
    connect(reply, &QNetworkReply::encrypted, reply, markCarried);
    connect(reply, &QNetworkReply::requestSent, reply, markCarried);
}

bool ReplyGuard::carried(const QNetworkReply *reply)
{
    return reply->property(kCarried).toBool();
}

bool ReplyGuard::givenUpUncarried(const QNetworkReply *reply)
{
    return reply->property(kGivenUpUncarried).toBool();
}
