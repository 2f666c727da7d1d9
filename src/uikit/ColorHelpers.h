#pragma once

#include <QColor>

// Hexadecimal colours of the widget classes (0xRRGGBB, sRGB). The named colours nothing in the
// client reads yet are ColorPalette (unreached/).
class ColorHelpers
{
public:
    static QColor colorWithHex(quint32 hex, qreal alpha = 1.0);

private:
    ColorHelpers() = delete;
};
