#pragma once

#include <QString>
#include <QStringList>
#include <QtMessageHandler>

// Collects the Qt log messages (qDebug, qWarning, categorised logging) emitted while it lives,
// so a test can check that a failure was reported. Messages still reach the previous handler.
class MessageCapture
{
public:
    MessageCapture();
    ~MessageCapture();

    MessageCapture(const MessageCapture &) = delete;
    MessageCapture &operator=(const MessageCapture &) = delete;

    QStringList messages() const;
    bool contains(const QString &fragment) const;

private:
    static void handler(QtMsgType type, const QMessageLogContext &context, const QString &message);

    QtMessageHandler m_previous = nullptr;
};
