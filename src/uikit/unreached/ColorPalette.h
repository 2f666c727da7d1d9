#pragma once

#include <QColor>

// Nothing in the client reads these yet; they are kept as the rest of the widget classes' colours
// (the hexadecimal reader the screens use is ColorHelpers::colorWithHex).
// Named colours of the widget classes, and colours from sRGB components.
class ColorPalette
{
public:
    // Components on the 0 to 255 scale.
    static QColor createCGColorWithSRGB(qreal red, qreal green, qreal blue, qreal alpha = 1.0);
    static QColor mgrButtonBlueColor();
    static QColor mgrTitleColor();
    static QColor mgrTextColor();
    static QColor mgrNotKeyTextColor();
    static QColor mgrTxtBlueColor();
    static QColor intlBlueColor();
    static QColor intlGreenColor();
    static QColor intlGrayColor();
    static QColor intlTitleColor();
    static QColor intlTextColor();

private:
    ColorPalette() = delete;
};
