#pragma once

#include <QObject>

class QNetworkAccessManager;
class QNetworkReply;
class QUrl;

// A network session of its own that follows every redirect and logs where it went
// ("Original URL: ..." / "Redirect URL: ..."). Nothing in the program makes one, nor watches a
// reply with it: the installer download (MupleUpgradeManager) follows its redirects through the
// network layer's own checks instead.
class Redirect : public QObject
{
    Q_OBJECT
public:
    explicit Redirect(QObject *parent = nullptr);

    QNetworkAccessManager *session() const { return m_session; }

    // Logs each redirect of the reply and lets it be followed; a TLS complaint is logged and
    // handled as by default (refused).
    static void watch(QNetworkReply *reply);
    static QString describe(const QUrl &original, const QUrl &next);

private:
    QNetworkAccessManager *m_session = nullptr;
};
