#include "webcore/WebLog.h"

#include "common/Logger.h"

Q_LOGGING_CATEGORY(lcWeb, "ostrel.web", QtInfoMsg)

void webLogFrom(const QString &message, const char *file, const char *function)
{
    qCInfo(lcWeb).noquote() << message;
    Logger::log(message, Logger::Warning, Logger::sourceFileName(file), Logger::functionName(function));
}
