#pragma once

#include "common/AppPaths.h"
#include "common/Logger.h"

#include <QDir>
#include <QFile>
#include <QString>

// Everything the program's file log holds so far, every day's file together, as a support
// request would read it.
inline QString fileLogText()
{
    Logger::flush();
    QString text;
    const QDir logs(AppPaths::logFolder());
    for (const QString &name : logs.entryList({QStringLiteral("ostrel_*.log")}, QDir::Files, QDir::Name)) {
        QFile file(logs.filePath(name));
        if (file.open(QIODevice::ReadOnly))
            text += QString::fromUtf8(file.readAll());
    }
    return text;
}
