#include "StandinFlags.h"

#include <QtEndian>

#include <array>
#include <cmath>
#include <functional>

namespace {

constexpr int kSide = 64;

struct Rgb
{
    quint8 r, g, b;
};

using Painter = std::function<Rgb(int x, int y)>;

quint32 crc32(const QByteArray &data)
{
    static const std::array<quint32, 256> table = [] {
        std::array<quint32, 256> t{};
        for (quint32 n = 0; n < 256; ++n) {
            quint32 c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    quint32 c = 0xFFFFFFFFu;
    for (char byte : data)
        c = table[(c ^ quint8(byte)) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

QByteArray bigEndian(quint32 value)
{
    QByteArray bytes(4, Qt::Uninitialized);
    qToBigEndian(value, bytes.data());
    return bytes;
}

QByteArray chunk(const char *type, const QByteArray &data)
{
    const QByteArray body = QByteArray(type, 4) + data;
    return bigEndian(quint32(data.size())) + body + bigEndian(crc32(body));
}

QByteArray encode(const Painter &paint)
{
    QByteArray raw;
    raw.reserve(kSide * (kSide * 3 + 1));
    for (int y = 0; y < kSide; ++y) {
        raw.append(char(0)); // no filter
        for (int x = 0; x < kSide; ++x) {
            const Rgb c = paint(x, y);
            raw.append(char(c.r));
            raw.append(char(c.g));
            raw.append(char(c.b));
        }
    }
    QByteArray header = bigEndian(kSide) + bigEndian(kSide);
    header.append(char(8)); // bit depth
    header.append(char(2)); // truecolour
    header.append(char(0));
    header.append(char(0));
    header.append(char(0));
    // qCompress writes a zlib stream after a four-byte length of its own.
    const QByteArray zlib = qCompress(raw).mid(4);
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", header) + chunk("IDAT", zlib) + chunk("IEND", {});
}

bool inDisc(int x, int y, double cx, double cy, double r)
{
    const double dx = x + 0.5 - cx;
    const double dy = y + 0.5 - cy;
    return dx * dx + dy * dy <= r * r;
}

Painter bands(std::initializer_list<Rgb> colours)
{
    const std::vector<Rgb> list(colours);
    return [list](int, int y) { return list[size_t(y * int(list.size()) / kSide)]; };
}

Painter painterFor(const QString &code)
{
    const Rgb white{245, 245, 245};
    if (code == QLatin1String("jp"))
        return [=](int x, int y) { return inDisc(x, y, 32, 32, 14) ? Rgb{200, 30, 50} : white; };
    if (code == QLatin1String("us")) {
        return [=](int x, int y) {
            if (x < 30 && y < 30)
                return Rgb{40, 60, 130};
            return (y / 5) % 2 == 0 ? Rgb{190, 35, 50} : white;
        };
    }
    if (code == QLatin1String("hk"))
        return [=](int x, int y) { return inDisc(x, y, 32, 32, 10) ? white : Rgb{210, 30, 40}; };
    if (code == QLatin1String("cn"))
        return [](int x, int y) { return (x >= 10 && x < 24 && y >= 10 && y < 24) ? Rgb{250, 210, 40} : Rgb{215, 35, 30}; };
    if (code == QLatin1String("sg"))
        return bands({{220, 40, 50}, {245, 245, 245}});
    if (code == QLatin1String("de"))
        return bands({{30, 30, 30}, {210, 30, 30}, {250, 200, 40}});
    if (code == QLatin1String("kr")) {
        return [=](int x, int y) {
            if (!inDisc(x, y, 32, 32, 14))
                return white;
            return y < 32 ? Rgb{200, 40, 55} : Rgb{40, 70, 150};
        };
    }
    return {};
}

} // namespace

namespace StandinFlags {

QByteArray png(const QString &code)
{
    const Painter painter = painterFor(code.toLower());
    return painter ? encode(painter) : QByteArray();
}

QStringList codes()
{
    return {QStringLiteral("jp"), QStringLiteral("us"), QStringLiteral("hk"), QStringLiteral("cn"),
            QStringLiteral("sg"), QStringLiteral("de"), QStringLiteral("kr")};
}

} // namespace StandinFlags
