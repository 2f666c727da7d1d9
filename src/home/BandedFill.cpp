#include "home/BandedFill.h"

#include <QPainter>

#include <algorithm>

void BandedFill::fill(QPainter &painter, const QRect &area, const QColor &colour)
{
    if (area.isEmpty())
        return;
    const int rows = std::max(1, kMaxBandPixels / std::max(1, area.width()));
    for (int top = area.top(); top <= area.bottom(); top += rows)
        painter.fillRect(QRect(area.left(), top, area.width(), std::min(rows, area.bottom() - top + 1)), colour);
}
