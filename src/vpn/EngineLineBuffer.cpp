#include "vpn/EngineLineBuffer.h"

namespace {

QString decodeLine(QByteArray line)
{
    if (line.endsWith('\r'))
        line.chop(1);
    return QString::fromUtf8(line);
}

} // namespace

QStringList EngineLineBuffer::append(const QByteArray &chunk)
{
    QStringList lines;
    m_pending.append(chunk);
    qsizetype start = 0;
    for (;;) {
        const qsizetype end = m_pending.indexOf('\n', start);
        if (end < 0)
            break;
        const QString line = decodeLine(m_pending.mid(start, end - start));
        if (!line.isEmpty())
            lines.append(line);
        start = end + 1;
    }
    m_pending.remove(0, start);
    while (m_pending.size() >= kMaxLine) {
        lines.append(decodeLine(m_pending.left(kMaxLine)));
        m_pending.remove(0, kMaxLine);
    }
    return lines;
}

std::optional<QString> EngineLineBuffer::flush()
{
    const QString rest = decodeLine(m_pending);
    m_pending.clear();
    if (rest.isEmpty())
        return std::nullopt;
    return rest;
}
