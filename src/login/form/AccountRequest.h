#pragma once

#include <QJsonObject>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>

// Sends one account request (the encrypted API call of the network layer to the current domain)
// and hands the raw reply to `done` exactly once, on the GUI thread, and only while `context`
// lives. A reply the network layer drops (a foreign server fingerprint) never completes there;
// after a watchdog of 16 s `done` runs with no reply, so no button stays disabled and no cover
// stays up.
class AccountRequest
{
public:
    using Done = std::function<void(const std::optional<QJsonObject> &reply)>;

    static void send(const QString &method, const QString &path, const QJsonObject &params, QObject *context,
                     Done done);

    static int watchdogMs();
    // Tests that drop replies on purpose shorten the wait; 0 puts the default back.
    static void setWatchdogMsForTesting(int ms);

private:
    AccountRequest() = delete;
};
