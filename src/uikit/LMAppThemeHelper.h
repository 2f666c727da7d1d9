#pragma once

#include <QColor>
#include <QString>

class QLabel;
class QLineEdit;
class QWidget;

// The theme: the named colours of the program's vocabulary in a dark and a light variant, and
// the fixed colours that follow the appearance. The program has a fixed dark look, so the
// appearance is dark unless set otherwise (tests, a future light look). A colour read earlier
// keeps its value when the appearance changes; readers ask again.
class LMAppThemeHelper
{
public:
    static bool isDarkMode();
    static void setDarkMode(bool dark);

    // A named colour ("title_color", "main_bg_color", ...); an unknown name gives an invalid colour.
    static QColor namedColor(const QString &name);

    static QColor getTitleColor();
    static QColor getMainBgColor();
    static QColor getTableViewRowSelectedColor();
    static QColor getTipsTextColor();
    static QColor getTipsViewBgColor();
    static QColor getSecondTextColor();
    static QColor getThirdTextColor();
    static QColor getRectangleBtnDisabledBgColor();
    static QColor getRectangleBtnDisabledTextColor();
    static QColor getSmallBtnBorderColor();
    static QColor getScrollbarColor();

    static QColor getFixedTitleColor();
    static QColor getFixedMainBgColor();
    static QColor getMonitorTabBottomBgColor();
    static QColor getMonitorMemoryViewFillColor();
    static QColor getDragShadowViewBgColor();

    // Text colour of a label or field from a named colour (the default is not consulted, as the
    // program does: a missing name leaves the colour as it was).
    static void setTextColorName(const QString &name, const QColor &defaultColor, QWidget *field);
    static void setTitleColorForTextField(QWidget *field);
    // Background fills for a view (an auto-filled palette background).
    static void setDivideLineColorFor(QWidget *view);
    static void setLayerBackgroundWithMainBgColorFor(QWidget *view);

private:
    LMAppThemeHelper() = delete;
};
