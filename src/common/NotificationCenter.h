#pragma once

#include "common/Notification.h"

#include <QMutex>
#include <QObject>
#include <QString>
#include <QVariantMap>

#include <functional>
#include <memory>
#include <vector>

// The process-wide broadcast channel: a poster names an event, every observer of that name runs.
//
// Observer blocks run synchronously on the posting thread, unless the observer asked for
// MainThread delivery: then a post from another thread queues the block to the main thread (a
// post from the main thread still runs it at once). Each observer belongs to an owner object and
// is dropped when the owner is destroyed, so a block never runs for a dead screen.
//
// Observers may add or remove observers (themselves included) while a post runs: the post works
// on a snapshot, and a block removed before its turn is skipped.
class NotificationCenter : public QObject
{
    Q_OBJECT

public:
    enum class Delivery { PostingThread, MainThread };
    using Token = quint64;
    using Block = std::function<void(const Notification &)>;

    static NotificationCenter &defaultCenter();

    explicit NotificationCenter(QObject *parent = nullptr);
    ~NotificationCenter() override;

    // Returns a token for removeObserver; 0 when the block or the owner is missing.
    Token addObserver(const QString &name, QObject *owner, Block block,
                      Delivery delivery = Delivery::PostingThread);
    void removeObserver(Token token);
    void removeObservers(const QObject *owner);

    void post(const QString &name, const QVariantMap &userInfo = {});

    int observerCount(const QString &name) const;

private:
    struct Entry;
    void deliver(const std::shared_ptr<Entry> &entry, const Notification &notification);

    mutable QMutex m_mutex;
    std::vector<std::shared_ptr<Entry>> m_entries;
    Token m_nextToken = 1;
};
