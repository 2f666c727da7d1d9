#pragma once

#include <QString>

// One line of the shadowsocks engine's output as the rest of the program hears it: the
// "ServerCMD" notification's "cmd" and "cmdDes".
//
// The engine prints events as "<decimal code>:<marker>". A line counts as a command when it
// starts with such a code directly followed by an event word, or when it contains one of the
// known markers and its first colon introduces a word; any other line (the engine's own log,
// "07:15:02 INFO ...", even when it mentions a marker) gives cmd -1, which no receiver acts on.
// "cmdDes" and startSuccess follow the markers the line contains, whatever its shape.
struct ServerCommand
{
    int cmd = -1;
    QString cmdDes;
    bool startSuccess = false; // the line carries "start_success"

    static ServerCommand parseLine(const QString &line);
    // The integer before the first ":" (leading spaces skipped, optional sign, digits; no
    // leading digits gives 0); -1 when the text has no ":".
    static int leadingCode(const QString &text);
};
