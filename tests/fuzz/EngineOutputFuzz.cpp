// Feeds arbitrary engine output, in two chunks split anywhere, to the line buffer and every line to
// the server-command parse. Output must come out as the same lines however it was chunked, and a
// command code must be the one the line starts with.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "FuzzProfile.h"
#include "vpn/EngineLineBuffer.h"
#include "vpn/ServerCommand.h"

namespace {

QStringList allLines(EngineLineBuffer &buffer, const QByteArray &first, const QByteArray &second)
{
    QStringList lines = buffer.append(first);
    lines += buffer.append(second);
    if (const std::optional<QString> rest = buffer.flush())
        lines.append(*rest);
    return lines;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***argv)
{
    setUpFuzzProfile((*argv)[0]);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    // The first byte chooses where the output is split; the rest is the output.
    const QByteArray output(reinterpret_cast<const char *>(data) + 1, int(size - 1));
    const qsizetype split = output.isEmpty() ? 0 : data[0] % (output.size() + 1);

    EngineLineBuffer whole;
    const QStringList lines = allLines(whole, output, QByteArray());
    EngineLineBuffer chunked;
    FUZZ_CHECK(allLines(chunked, output.left(split), output.mid(split)) == lines);

    for (const QString &line : lines) {
        FUZZ_CHECK(!line.isEmpty());
        FUZZ_CHECK(!line.contains(QLatin1Char('\n')));
        const ServerCommand command = ServerCommand::parseLine(line);
        FUZZ_CHECK(command.cmd == -1 || command.cmd == ServerCommand::leadingCode(line));
        FUZZ_CHECK(!command.startSuccess || line.contains(QLatin1String("start_success")));
    }
    // Raw text, not only buffered lines: the parse takes whatever a caller hands it.
    const QString text = QString::fromUtf8(output);
    ServerCommand::parseLine(text);
    ServerCommand::leadingCode(text);
    return 0;
}
