#include "uikit/unreached/LMThemeColors.h"

#include "uikit/ColorHelpers.h"
#include "uikit/LMAppThemeHelper.h"

#include <QPalette>
#include <QWidget>

namespace {

QColor named(const char *name)
{
    return LMAppThemeHelper::namedColor(QLatin1String(name));
}

QColor fixed(quint32 dark, quint32 light)
{
    return ColorHelpers::colorWithHex(LMAppThemeHelper::isDarkMode() ? dark : light);
}

void fillBackground(QWidget *view, const QColor &colour)
{
    if (!view)
        return;
    QPalette palette = view->palette();
    palette.setColor(QPalette::Window, colour);
    view->setPalette(palette);
    view->setAutoFillBackground(true);
}

} // namespace

QColor LMThemeColors::getTitleColor() { return named("title_color"); }
QColor LMThemeColors::getTableViewRowSelectedColor() { return named("tableview_selector_bg_color"); }
QColor LMThemeColors::getTipsTextColor() { return named("tips_text_color"); }
QColor LMThemeColors::getTipsViewBgColor() { return named("tips_bg_color"); }
QColor LMThemeColors::getSecondTextColor() { return named("second_text_color"); }
QColor LMThemeColors::getThirdTextColor() { return named("third_text_color"); }
QColor LMThemeColors::getSmallBtnBorderColor() { return named("small_btn_border_color"); }
QColor LMThemeColors::getScrollbarColor() { return named("scrollbar_color"); }

QColor LMThemeColors::getFixedTitleColor() { return fixed(0xFFFFFF, 0x515151); }
QColor LMThemeColors::getFixedMainBgColor() { return fixed(0x242633, 0xFFFFFF); }
QColor LMThemeColors::getMonitorTabBottomBgColor() { return fixed(0x3F404C, 0xF5F5F5); }
QColor LMThemeColors::getMonitorMemoryViewFillColor() { return fixed(0x3F404C, 0xF1F1F1); }

QColor LMThemeColors::getDragShadowViewBgColor()
{
    return LMAppThemeHelper::isDarkMode() ? ColorHelpers::colorWithHex(0x2C2E3F, 0.8)
                                          : ColorHelpers::colorWithHex(0xD2E3FD, 0.75);
}

void LMThemeColors::setTextColorName(const QString &name, const QColor &, QWidget *field)
{
    const QColor colour = LMAppThemeHelper::namedColor(name);
    if (!field || !colour.isValid())
        return;
    QPalette palette = field->palette();
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::Text, colour);
    field->setPalette(palette);
}

void LMThemeColors::setTitleColorForTextField(QWidget *field)
{
    setTextColorName(QStringLiteral("title_color"), ColorHelpers::colorWithHex(0x515151), field);
}

void LMThemeColors::setDivideLineColorFor(QWidget *view)
{
    fillBackground(view, LMAppThemeHelper::isDarkMode() ? ColorHelpers::colorWithHex(0xFFFFFF, 0.05)
                                                        : ColorHelpers::colorWithHex(0xEDEDED));
}

void LMThemeColors::setLayerBackgroundWithMainBgColorFor(QWidget *view)
{
    fillBackground(view, LMAppThemeHelper::isDarkMode() ? ColorHelpers::colorWithHex(0x242633) : QColor(Qt::white));
}
