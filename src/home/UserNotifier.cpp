#include "home/UserNotifier.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QVariantMap>

#include "common/Logger.h"

namespace {
std::unique_ptr<UserNotifier> &slot()
{
    static std::unique_ptr<UserNotifier> notifier;
    return notifier;
}
}

UserNotifier &UserNotifier::shared()
{
    if (!slot())
        slot() = std::make_unique<DBusUserNotifier>();
    return *slot();
}

void UserNotifier::setShared(std::unique_ptr<UserNotifier> notifier)
{
    slot() = std::move(notifier);
}

void DBusUserNotifier::notify(const QString &title, const QString &body)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        OSTREL_LOG(Logger::Info, QStringLiteral("no session bus for the notification: %1").arg(title));
        return;
    }
    QDBusMessage message = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    QVariantMap hints;
    hints.insert(QStringLiteral("sound-name"), QStringLiteral("message-new-instant"));
    message << QStringLiteral("Ostrel") << uint(0) << QStringLiteral("ostrel") << title << body << QStringList()
            << hints << int(-1);
    // Not waiting for the answer: a bus without a notification service answers with an error
    // nobody needs to see, and the GUI thread never blocks on it.
    message.setAutoStartService(false);
    bus.asyncCall(message);
}
