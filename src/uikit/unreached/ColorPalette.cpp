#include "uikit/unreached/ColorPalette.h"

#include "uikit/ColorHelpers.h"

QColor ColorPalette::createCGColorWithSRGB(qreal red, qreal green, qreal blue, qreal alpha)
{
    return QColor::fromRgbF(float(qBound(0.0, red / 255.0, 1.0)), float(qBound(0.0, green / 255.0, 1.0)),
                            float(qBound(0.0, blue / 255.0, 1.0)), float(qBound(0.0, alpha, 1.0)));
}

QColor ColorPalette::mgrButtonBlueColor() { return QColor(0, 103, 192); }
QColor ColorPalette::mgrTitleColor() { return Qt::white; }
QColor ColorPalette::mgrTextColor() { return ColorHelpers::colorWithHex(0x9BA0A9); }
QColor ColorPalette::mgrNotKeyTextColor() { return ColorHelpers::colorWithHex(0x686A6D); }
QColor ColorPalette::mgrTxtBlueColor() { return ColorHelpers::colorWithHex(0x0787FF); }
QColor ColorPalette::intlBlueColor() { return ColorHelpers::colorWithHex(0x0091FF); }
QColor ColorPalette::intlGreenColor() { return ColorHelpers::colorWithHex(0x7BCF8C); }
QColor ColorPalette::intlGrayColor() { return ColorHelpers::colorWithHex(0xE6ECF1); }
QColor ColorPalette::intlTitleColor() { return ColorHelpers::colorWithHex(0x616C72); }
QColor ColorPalette::intlTextColor() { return ColorHelpers::colorWithHex(0xA5B0B5); }
