#pragma once

#include <QColor>
#include <QRect>

class QPainter;

// Fills a large area in horizontal bands of at most 64K pixels. Qt's raster engine hands a
// single fill above that size to its GUI thread pool: starting those threads costs milliseconds
// the first time and every hand-off waits for free cores, while one band is a few microseconds
// on the GUI thread. The line popup's dimmed cover and its table background are such fills.
class BandedFill
{
public:
    static constexpr int kMaxBandPixels = 64 * 1024;

    static void fill(QPainter &painter, const QRect &area, const QColor &colour);

private:
    BandedFill() = delete;
};
