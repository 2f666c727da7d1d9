#pragma once

#include <QColor>
#include <QString>

class QWidget;

// Nothing in the client reads these yet; they are kept as the rest of the theme's vocabulary (the
// colours the screens read, and the appearance itself, are LMAppThemeHelper's).
// Named and fixed colours of the theme in the appearance LMAppThemeHelper holds, and fills that
// apply them to a view. A colour read earlier keeps its value when the appearance changes.
class LMThemeColors
{
public:
    static QColor getTitleColor();
    static QColor getTableViewRowSelectedColor();
    static QColor getTipsTextColor();
    static QColor getTipsViewBgColor();
    static QColor getSecondTextColor();
    static QColor getThirdTextColor();
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
    LMThemeColors() = delete;
};
