#pragma once

#include <QString>

// A log keeps one entry to a line, and much of what it records comes from outside the program: a
// helper's error text with another program's error output in it (which spans lines), a
// service's message, a name the user typed. Such text must not end an entry early, start a
// forged one, or drive the terminal that shows the console. So every line is escaped once, where
// it is written: the file log's in Logger, the console's in the handler escapeConsole() puts in
// front of Qt's.
class LogLine
{
public:
    // `text` with every control character written out: "\n", "\r" and "\t" by name, the other C0
    // characters, DEL and the C1 characters as "\xHH", and the Unicode line and paragraph
    // separators as "\u2028" and "\u2029". Everything else stays as it is, the backslash included:
    // lines already in the log (a Windows path, a string Qt's debug stream quoted with its own
    // escapes) read as before, and a "\n" typed into the text still cannot end the entry, whose
    // only line break is the one the log writes after it.
    static QString escaped(const QString &text);

    // Puts the escaping in front of Qt's message handler, for the console lines of qDebug,
    // qWarning and the logging categories, and of whatever writes them on (the system journal).
    // Once per program: called again it does nothing, so a handler a test put in front since stays
    // there.
    static void escapeConsole();
};
