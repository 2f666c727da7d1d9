#include "common/NotificationCenter.h"

#include "common/FoundationUtils.h"
#include "common/GuiThread.h"

#include <QCoreApplication>
#include <QMutexLocker>
#include <QPointer>

#include <algorithm>
#include <atomic>

struct NotificationCenter::Entry
{
    Token token = 0;
    QString name;
    QPointer<QObject> owner;
    // Kept apart from the QPointer because the pointer is already null when the owner's
    // destroyed() signal arrives, and that is when its observers must be found.
    const QObject *ownerKey = nullptr;
    Block block;
    Delivery delivery = Delivery::PostingThread;
    QMetaObject::Connection ownerConnection;
    std::atomic<bool> removed{false};
};

NotificationCenter &NotificationCenter::defaultCenter()
{
    static NotificationCenter center;
    return center;
}

NotificationCenter::NotificationCenter(QObject *parent)
    : QObject(parent)
{
}

NotificationCenter::~NotificationCenter()
{
    QMutexLocker lock(&m_mutex);
    for (const auto &entry : m_entries) {
        entry->removed = true;
        QObject::disconnect(entry->ownerConnection);
    }
    m_entries.clear();
}

NotificationCenter::Token NotificationCenter::addObserver(const QString &name, QObject *owner,
                                                          Block block, Delivery delivery)
{
    if (!owner || !block)
        return 0;
    auto entry = std::make_shared<Entry>();
    entry->name = name;
    entry->owner = owner;
    entry->ownerKey = owner;
    entry->block = std::move(block);
    entry->delivery = delivery;
    entry->ownerConnection = connect(
        owner, &QObject::destroyed, this, [this, owner] { removeObservers(owner); },
        Qt::DirectConnection);

    QMutexLocker lock(&m_mutex);
    entry->token = m_nextToken++;
    m_entries.push_back(entry);
    return entry->token;
}

void NotificationCenter::removeObserver(Token token)
{
    QMutexLocker lock(&m_mutex);
    const auto it = std::find_if(m_entries.begin(), m_entries.end(),
                                 [token](const auto &e) { return e->token == token; });
    if (it == m_entries.end())
        return;
    (*it)->removed = true;
    QObject::disconnect((*it)->ownerConnection);
    m_entries.erase(it);
}

void NotificationCenter::removeObservers(const QObject *owner)
{
    QMutexLocker lock(&m_mutex);
    const auto firstRemoved = std::remove_if(m_entries.begin(), m_entries.end(), [owner](const auto &e) {
        if (e->ownerKey != owner)
            return false;
        e->removed = true;
        QObject::disconnect(e->ownerConnection);
        return true;
    });
    m_entries.erase(firstRemoved, m_entries.end());
}

int NotificationCenter::observerCount(const QString &name) const
{
    QMutexLocker lock(&m_mutex);
    return static_cast<int>(std::count_if(m_entries.begin(), m_entries.end(),
                                          [&name](const auto &e) { return e->name == name; }));
}

void NotificationCenter::post(const QString &name, const QVariantMap &userInfo)
{
    std::vector<std::shared_ptr<Entry>> snapshot;
    {
        QMutexLocker lock(&m_mutex);
        for (const auto &entry : m_entries) {
            if (entry->name == name)
                snapshot.push_back(entry);
        }
    }
    const Notification notification{name, userInfo};
    for (const auto &entry : snapshot)
        deliver(entry, notification);
}

void NotificationCenter::deliver(const std::shared_ptr<Entry> &entry, const Notification &notification)
{
    if (entry->removed || !entry->owner)
        return;
    const bool queue = entry->delivery == Delivery::MainThread && !isOnMainThread();
    if (!queue) {
        entry->block(notification);
        return;
    }
    std::weak_ptr<Entry> weak = entry;
    GuiThread::post(QCoreApplication::instance(), [weak, notification] {
        const auto alive = weak.lock();
        // The observer may have been removed, or its owner destroyed, while the block waited.
        if (!alive || alive->removed || !alive->owner)
            return;
        alive->block(notification);
    });
}
