#pragma once

#include <QColor>

// Named and hexadecimal colours of the widget classes (0xRRGGBB, sRGB).
class ColorHelpers
{
public:
    static QColor colorWithHex(quint32 hex, qreal alpha = 1.0);
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
    ColorHelpers() = delete;
};
