// Feeds arbitrary text to the ".strings" table reader. Whatever it reads must read back the same
// when written out again in the table syntax, whatever characters keys and texts hold.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "FuzzProfile.h"
#include "common/StringsTable.h"

namespace {

QString quoted(const QString &text)
{
    QString out = QStringLiteral("\"");
    for (const QChar c : text) {
        if (c == QLatin1Char('"') || c == QLatin1Char('\\'))
            out += QLatin1Char('\\') + c;
        else if (c.unicode() < 0x20 || c.isSurrogate() || c.unicode() == 0x7F)
            out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out + QLatin1Char('"');
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***argv)
{
    setUpFuzzProfile((*argv)[0]);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), int(size));
    QStringList problems;
    const QHash<QString, QString> table = StringsTable::parse(text, &problems);

    QString written = QStringLiteral("/* written back */\n");
    for (auto it = table.cbegin(); it != table.cend(); ++it)
        written += quoted(it.key()) + QStringLiteral(" = ") + quoted(it.value()) + QStringLiteral(";\n");
    QStringList rereadProblems;
    FUZZ_CHECK(StringsTable::parse(written, &rereadProblems) == table);
    FUZZ_CHECK(rereadProblems.isEmpty());
    return 0;
}
