#pragma once

#include <QString>

#include <memory>

// Desktop notifications (the kill-switch alert). The process has one; tests put in their own.
class UserNotifier
{
public:
    virtual ~UserNotifier() = default;
    virtual void notify(const QString &title, const QString &body) = 0;

    static UserNotifier &shared();
    // Replaces the process's notifier (null puts the desktop one back).
    static void setShared(std::unique_ptr<UserNotifier> notifier);
};

// org.freedesktop.Notifications on the session bus, sent without waiting for an answer; where no
// session bus or no notification service runs, the notice is only logged.
class DBusUserNotifier : public UserNotifier
{
public:
    void notify(const QString &title, const QString &body) override;
};
