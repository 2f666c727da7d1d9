#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// Whether the process runs: a zombie still has its /proc entry, so its state is read.
inline bool processAlive(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray text = stat.readAll();
    const int close = text.lastIndexOf(')');
    return close > 0 && text.size() > close + 2 && text.at(close + 2) != 'Z';
}
