#include "uikit/ColorHelpers.h"

QColor ColorHelpers::colorWithHex(quint32 hex, qreal alpha)
{
    QColor colour(int((hex >> 16) & 0xFF), int((hex >> 8) & 0xFF), int(hex & 0xFF));
    colour.setAlphaF(qBound(0.0, alpha, 1.0));
    return colour;
}

QColor ColorHelpers::createCGColorWithSRGB(qreal red, qreal green, qreal blue, qreal alpha)
{
    return QColor::fromRgbF(float(qBound(0.0, red / 255.0, 1.0)), float(qBound(0.0, green / 255.0, 1.0)),
                            float(qBound(0.0, blue / 255.0, 1.0)), float(qBound(0.0, alpha, 1.0)));
}

QColor ColorHelpers::mgrButtonBlueColor() { return QColor(0, 103, 192); }
QColor ColorHelpers::mgrTitleColor() { return Qt::white; }
QColor ColorHelpers::mgrTextColor() { return colorWithHex(0x9BA0A9); }
QColor ColorHelpers::mgrNotKeyTextColor() { return colorWithHex(0x686A6D); }
QColor ColorHelpers::mgrTxtBlueColor() { return colorWithHex(0x0787FF); }
QColor ColorHelpers::intlBlueColor() { return colorWithHex(0x0091FF); }
QColor ColorHelpers::intlGreenColor() { return colorWithHex(0x7BCF8C); }
QColor ColorHelpers::intlGrayColor() { return colorWithHex(0xE6ECF1); }
QColor ColorHelpers::intlTitleColor() { return colorWithHex(0x616C72); }
QColor ColorHelpers::intlTextColor() { return colorWithHex(0xA5B0B5); }
