#pragma once

#include <QHash>
#include <QMutex>
#include <QString>
#include <QStringList>

#include <optional>

// Nothing in the client reads this yet; it is kept for pages written for the older bridge.
// The handler names of the older page bridge, one process-wide instance. Each of the 28 names is
// a readable and writable text; reading one that was never set sets it to its own name.
class AnJSregister
{
public:
    static AnJSregister &shareinstance();

    // The 28 names in declaration order.
    static const QStringList &names();

    // The value of a name; nothing for a name outside the list.
    std::optional<QString> value(const QString &name);
    // False (and nothing stored) for a name outside the list.
    bool setValue(const QString &name, const QString &value);

private:
    AnJSregister() = default;

    QMutex m_mutex;
    QHash<QString, QString> m_values;
};
