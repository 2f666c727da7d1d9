#pragma once

#include <QFont>

// Fonts of the screens. The program's faces ("PingFangSC-Light/-Regular/-Medium") are not on
// Linux, so every font carries a fallback chain: the program's face first, then Noto Sans CJK SC,
// WenQuanYi Micro Hei, then the default sans. Sizes are the program's points, which are Qt pixels
// here: a 12 is setPixelSize(12), never a point size (that would be 16 px at 96 dpi).
class NSFontHelper
{
public:
    static QFont getLightPingFangFont(int size);
    static QFont getRegularPingFangFont(int size);
    static QFont getMediumPingFangFont(int size);

    static QFont getLightSystemFont(int size);
    static QFont getRegularSystemFont(int size);
    static QFont getMediumSystemFont(int size);

    // Family substitutions for code that names a face directly ("PingFangSC-Regular",
    // "PingFang SC"): done once, also by every operation above.
    static void installFontSubstitutions();

    // The chain after the program's face.
    static QStringList fallbackFamilies();

private:
    NSFontHelper() = delete;
};
