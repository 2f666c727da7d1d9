#pragma once

#include <QColor>
#include <QString>

// The theme: the appearance, and the named colours of the program's vocabulary in a dark and a
// light variant. The program has a fixed dark look, so the
// appearance is dark unless set otherwise (tests, a future light look). A colour read earlier
// keeps its value when the appearance changes; readers ask again. The colours nothing in the client
// reads yet, and the fills that apply them, are LMThemeColors (unreached/).
class LMAppThemeHelper
{
public:
    static bool isDarkMode();
    static void setDarkMode(bool dark);

    // A named colour ("title_color", "main_bg_color", ...); an unknown name gives an invalid colour.
    static QColor namedColor(const QString &name);

    static QColor getMainBgColor();
    static QColor getRectangleBtnDisabledBgColor();
    static QColor getRectangleBtnDisabledTextColor();

private:
    LMAppThemeHelper() = delete;
};
