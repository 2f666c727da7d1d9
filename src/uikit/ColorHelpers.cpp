#include "uikit/ColorHelpers.h"

QColor ColorHelpers::colorWithHex(quint32 hex, qreal alpha)
{
    QColor colour(int((hex >> 16) & 0xFF), int((hex >> 8) & 0xFF), int(hex & 0xFF));
    colour.setAlphaF(qBound(0.0, alpha, 1.0));
    return colour;
}
