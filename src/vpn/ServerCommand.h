#pragma once

#include <QString>

// One line of the shadowsocks engine's output as the rest of the program hears it: the
// "ServerCMD" notification's "cmd" and "cmdDes".
//
// The engine prints events as "<decimal code>:<marker>". A line counts as a command when it
// starts with a decimal code and a colon, whatever follows ("5: new_event", "5:Foo",
// "3:1 user_service_expired"), or when it contains one of the known markers and its first colon
// introduces a word ("abc:dns_data_err" gives 0). A line of the engine's own log, which starts
// with a clock time or a date ("07:15:02 INFO ..."), is never one, even when it mentions a
// marker; nor is any other line. Those give cmd -1, which no receiver acts on. "cmdDes" and
// startSuccess follow the markers the line contains, whatever its shape.
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
