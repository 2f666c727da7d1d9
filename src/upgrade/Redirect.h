#pragma once

#include <QObject>

class QNetworkAccessManager;
class QNetworkReply;
class QUrl;

// A network session of its own that follows every redirect and logs where it went
// ("Original URL: ..." / "Redirect URL: ..."). Nothing in the program makes one; the installer
// download follows its redirects through the network layer's checks instead.
class Redirect : public QObject
{
    Q_OBJECT
public:
    explicit Redirect(QObject *parent = nullptr);

    QNetworkAccessManager *session() const { return m_session; }

    // Logs each redirect of the reply and lets it be followed.
    static void watch(QNetworkReply *reply);
    static QString describe(const QUrl &original, const QUrl &next);

private:
    QNetworkAccessManager *m_session = nullptr;
};
