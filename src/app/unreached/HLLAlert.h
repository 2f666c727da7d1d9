#pragma once

#include <QString>

class QWidget;

// Nothing in the client calls this yet; it is kept as the message alert the toasts stand in for.
class HLLAlert
{
public:
    // Kept for callers that report a message this way; the messages are shown by the toasts.
    static void alertWithMessage(const QString &message, QWidget *view)
    {
        Q_UNUSED(message);
        Q_UNUSED(view);
    }

private:
    HLLAlert() = delete;
};
