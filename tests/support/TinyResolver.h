#pragma once

#include <QHostAddress>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUdpSocket>

// A DNS server of a test's own on loopback UDP: it answers every A and AAAA question with the
// addresses it was given (those of the family asked), or, made silent, takes every question
// and never answers. It counts the questions and keeps the names asked.
class TinyResolver
{
public:
    explicit TinyResolver(QList<QHostAddress> addresses, bool answers = true);
    TinyResolver(TinyResolver &&) = delete;

    // "127.0.0.1:<port>", as HostLookup::setServersForTesting takes it.
    QString server() const;
    int questions() const { return m_questions; }
    // Whether it was asked about `host`, as it is or with a search domain appended.
    bool wasAsked(const QString &host) const;

private:
    void read();
    QByteArray answer(const QByteArray &query) const;

    QUdpSocket m_socket;
    QList<QHostAddress> m_addresses;
    bool m_answers;
    int m_questions = 0;
    QStringList m_names;
};
