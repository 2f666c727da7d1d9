#pragma once

#include <QByteArray>
#include <QObject>

class QNetworkReply;

// What every reply of the client is held to, read or not: a size past which it is aborted (an
// endless body must not fill memory), and a whole deadline after which it is aborted however
// steadily bytes still trickle in (the transfer time-out only counts silence). The guard reads the
// body as it arrives, so the size counts what the client took in, whatever Qt buffers; an aborted
// reply finishes as usual, with Qt's "operation canceled", and the reader tells why by asking here.
// Third, for a caller that may try the request elsewhere (another address): whether the request
// was carried, and a give-up of one not carried within a while. The guard is a child of its
// reply and goes with it.
class ReplyGuard : public QObject
{
    Q_OBJECT
public:
    enum class Body { Keep, Discard };

    // `maxBytes` 0 or less: no size limit; `deadlineMs` 0 or less: no deadline. `Discard` for a
    // reply nobody reads: its bytes are counted and dropped.
    static void hold(QNetworkReply *reply, qint64 maxBytes, int deadlineMs, Body body = Body::Keep);
    // The body read so far and what the reply still holds.
    static QByteArray takeBody(QNetworkReply *reply);
    // Makes a reply the caller stopped for its own size rule read as too large.
    static void markTooLarge(QNetworkReply *reply);
    static bool tooLarge(const QNetworkReply *reply);
    static bool pastDeadline(const QNetworkReply *reply);

    // Marks the reply carried once its request may have reached the server: the TLS handshake
    // done (`encrypted`), or the request written (`requestSent`). One not carried within
    // `giveUpMs` is aborted and reads as givenUpUncarried(); 0 or less: never given up.
    // Over TLS the mark comes first: Qt's network thread delivers `encrypted` to this thread and
    // writes the request only once this thread has taken it (Qt 6.4), so while this thread reads
    // a reply as not carried nothing of its request was written, and the mark stops the give-up
    // in the same call: no give-up comes after it. A request in the clear is written without
    // waiting, and `requestSent` comes after: a give-up due between the write and its news here
    // reads a request that reached the server as not carried.
    static void watchCarried(QNetworkReply *reply, int giveUpMs);
    static bool carried(const QNetworkReply *reply);
    static bool givenUpUncarried(const QNetworkReply *reply);

private:
    ReplyGuard(QNetworkReply *reply, qint64 maxBytes, Body body);
    void readArrived();

    QNetworkReply *m_reply;
    qint64 m_maxBytes;
    Body m_keep;
    qint64 m_read = 0;
    QByteArray m_body;
};
