#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// Whether the process runs. A zombie does not: it has ended and waits only for its parent to take
// its status, though it keeps its /proc entry and kill(pid, 0) still reaches it; so its state is read.
inline bool processAlive(qint64 pid)
{
    if (pid <= 0)
        return false;
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray text = stat.readAll();
    const qsizetype close = text.lastIndexOf(')');
    return close > 0 && text.size() > close + 2 && text.at(close + 2) != 'Z';
}
