#pragma once

#include <QString>

// One line of the shadowsocks engine's output as the rest of the program hears it: the
// "ServerCMD" notification's "cmd" and "cmdDes".
//
// The engine prints events as "<decimal code>:<marker>". A line counts as a command when it
// starts with such a code directly followed by a marker word, or when it contains one of the
// known markers; any other line (the engine's own log, "07:15:02 INFO ...") gives cmd -1, which
// no receiver acts on.
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
