#include "web/core/WebLog.h"

#include "common/Logger.h"

Q_LOGGING_CATEGORY(lcWeb, "ostrel.web", QtInfoMsg)

void webLog(const QString &message, const char *function)
{
    qCInfo(lcWeb).noquote() << message;
    Logger::log(message, Logger::Warning, QStringLiteral("web"), QString::fromLatin1(function));
}
