#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// Turns an engine's output, read in chunks of any size, into whole lines: a line split across two
// reads comes out once, two lines in one read come out as two. Bytes are decoded per complete
// line, so a character split across reads decodes correctly. A line that grows past kMaxLine
// bytes without an end is cut there, so a misbehaving engine cannot grow memory without bound.
class EngineLineBuffer
{
public:
    static constexpr qsizetype kMaxLine = 64 * 1024;

    // The complete lines the chunk finished, without their "\n" or "\r\n"; empty lines dropped.
    QStringList append(const QByteArray &chunk);
    // The unfinished rest, at the end of the output; nothing when there is none.
    std::optional<QString> flush();

private:
    QByteArray m_pending;
};
