#pragma once

#include <QHash>
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QUrl>

#include <functional>

class ImageCache;
class QNetworkAccessManager;
class QNetworkReply;

// Fetches remote pictures into an ImageCache and hands them to the widget that asked. One widget
// shows one picture: a new load for the same target supersedes the previous one, whose answer is
// then dropped (its bytes still fill the cache). An answer for a target that is gone is dropped.
// Every other load answers exactly once, from the event loop: the picture, or a null image and a
// reason. A download at the start waits, bounded, while the desktop may still name the listener
// a killed run left there (StartRestoreGate).
class ImageLoader : public QObject
{
    Q_OBJECT

public:
    using Completion = std::function<void(const QImage &image, const QString &error)>;

    static ImageLoader &shared();

    // The network manager is made on the first download, so a start-up that only reads the cache
    // never loads the network stack for pictures.
    explicit ImageLoader(ImageCache &cache, QObject *parent = nullptr);

    // An empty key caches under the address itself.
    void load(const QUrl &url, const QString &key, QObject *target, Completion done);
    void cancel(QObject *target);

    static constexpr int TimeoutMs = 30000;

Q_SIGNALS:
    // After each download was handled, whether or not anyone was still waiting for it.
    void downloadHandled(const QUrl &url);

private:
    struct Asker
    {
        bool hasTarget = false; // loads without a target always answer
        QPointer<QObject> target;
        quint64 generation = 0;
    };
    // The download, once the start's restore lets it go (StartRestoreGate).
    void fetch(const QUrl &url, const QString &cacheKey, const Asker &asker, const Completion &done);
    void finished(QNetworkReply *reply, const QString &key, quint64 ticket, const Asker &asker, const Completion &done);
    bool isCurrent(bool hasTarget, const QPointer<QObject> &target, quint64 generation) const;
    QNetworkAccessManager *network();

    ImageCache &m_cache;
    QNetworkAccessManager *m_network = nullptr;
    QHash<QObject *, quint64> m_generation;
    quint64 m_nextGeneration = 1;
};
