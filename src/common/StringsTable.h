#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>

// Reader of string tables in the ".strings" syntax:
//
//     /* comment */  // comment
//     "KEY" = "text with \"quotes\", \\ and \n";
//
// Keys and values are quoted (a bare word of letters, digits, '_', '.', '-' is accepted too).
// Escapes: \" \\ \n \t \r \0 \' and \uXXXX / \UXXXX. A malformed entry is skipped up to the end
// of its line and reading goes on, so one bad line never costs the rest of the table.
class StringsTable
{
public:
    // Parses text; problems (one per skipped entry, with its line number) go to *problems.
    static QHash<QString, QString> parse(const QString &text, QStringList *problems = nullptr);
    // Reads a UTF-8 file (or UTF-16 with a byte-order mark). Nothing when it cannot be read.
    static std::optional<QHash<QString, QString>> parseFile(const QString &path,
                                                            QStringList *problems = nullptr);
};
