#pragma once

#include <QLoggingCategory>

// Console log of the web pages and resource packages. Message bodies and replies can carry the
// user's token or a page's request parameters, so they never go out whole: names and sizes only.
// Enable with QT_LOGGING_RULES="ostrel.web.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcWeb)

// The file log of this layer (dropped messages, failed installs): warnings a user's report needs.
// webLog(message, Q_FUNC_INFO) is a macro, so the file column names the calling file, as every
// OSTREL_LOG line does, and the function column is the caller's qualified name.
void webLogFrom(const QString &message, const char *file, const char *function);
#define webLog(message, function) webLogFrom((message), __FILE__, (function))
