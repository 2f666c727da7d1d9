#include "uikit/LMAppThemeHelper.h"

#include "uikit/ColorHelpers.h"

#include <QHash>
#include <QPalette>
#include <QWidget>

namespace {

bool g_dark = true;

struct NamedColour
{
    quint32 dark;
    quint32 light;
};

// Values chosen to sit with the colours the screens use literally (text 179,183,190 and
// 222,228,244 on 42,41,44 / 23,35,48 / 13,25,37).
const QHash<QString, NamedColour> &namedColours()
{
    static const QHash<QString, NamedColour> table = {
        {QStringLiteral("title_color"), {0xFFFFFF, 0x515151}},
        {QStringLiteral("main_bg_color"), {0x0D1925, 0xFFFFFF}},
        {QStringLiteral("tableview_selector_bg_color"), {0x17232F, 0xEDF3FA}},
        {QStringLiteral("tips_text_color"), {0xB3B7BE, 0x7E7E7E}},
        {QStringLiteral("tips_bg_color"), {0x2A292C, 0xF5F5F5}},
        {QStringLiteral("second_text_color"), {0xDEE4F4, 0x616C72}},
        {QStringLiteral("third_text_color"), {0x7B7B7B, 0xA5B0B5}},
        {QStringLiteral("rectangle_button_disabled_bg_color"), {0x3A3A3E, 0xD7F7EC}},
        {QStringLiteral("rectangle_button_disabled_text_color"), {0x7E7E7E, 0xFFFFFF}},
        {QStringLiteral("small_btn_border_color"), {0x656567, 0xE5E5E5}},
        {QStringLiteral("scrollbar_color"), {0x3F404C, 0xD4D4D4}},
    };
    return table;
}

QColor fixed(quint32 dark, quint32 light)
{
    return ColorHelpers::colorWithHex(g_dark ? dark : light);
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

bool LMAppThemeHelper::isDarkMode() { return g_dark; }
void LMAppThemeHelper::setDarkMode(bool dark) { g_dark = dark; }

QColor LMAppThemeHelper::namedColor(const QString &name)
{
    const auto it = namedColours().constFind(name);
    if (it == namedColours().constEnd())
        return {};
    return ColorHelpers::colorWithHex(g_dark ? it->dark : it->light);
}

QColor LMAppThemeHelper::getTitleColor() { return namedColor(QStringLiteral("title_color")); }
QColor LMAppThemeHelper::getMainBgColor() { return namedColor(QStringLiteral("main_bg_color")); }
QColor LMAppThemeHelper::getTableViewRowSelectedColor() { return namedColor(QStringLiteral("tableview_selector_bg_color")); }
QColor LMAppThemeHelper::getTipsTextColor() { return namedColor(QStringLiteral("tips_text_color")); }
QColor LMAppThemeHelper::getTipsViewBgColor() { return namedColor(QStringLiteral("tips_bg_color")); }
QColor LMAppThemeHelper::getSecondTextColor() { return namedColor(QStringLiteral("second_text_color")); }
QColor LMAppThemeHelper::getThirdTextColor() { return namedColor(QStringLiteral("third_text_color")); }
QColor LMAppThemeHelper::getRectangleBtnDisabledBgColor() { return namedColor(QStringLiteral("rectangle_button_disabled_bg_color")); }
QColor LMAppThemeHelper::getRectangleBtnDisabledTextColor() { return namedColor(QStringLiteral("rectangle_button_disabled_text_color")); }
QColor LMAppThemeHelper::getSmallBtnBorderColor() { return namedColor(QStringLiteral("small_btn_border_color")); }
QColor LMAppThemeHelper::getScrollbarColor() { return namedColor(QStringLiteral("scrollbar_color")); }

QColor LMAppThemeHelper::getFixedTitleColor() { return fixed(0xFFFFFF, 0x515151); }
QColor LMAppThemeHelper::getFixedMainBgColor() { return fixed(0x242633, 0xFFFFFF); }
QColor LMAppThemeHelper::getMonitorTabBottomBgColor() { return fixed(0x3F404C, 0xF5F5F5); }
QColor LMAppThemeHelper::getMonitorMemoryViewFillColor() { return fixed(0x3F404C, 0xF1F1F1); }

QColor LMAppThemeHelper::getDragShadowViewBgColor()
{
    return g_dark ? ColorHelpers::colorWithHex(0x2C2E3F, 0.8) : ColorHelpers::colorWithHex(0xD2E3FD, 0.75);
}

void LMAppThemeHelper::setTextColorName(const QString &name, const QColor &, QWidget *field)
{
    const QColor colour = namedColor(name);
    if (!field || !colour.isValid())
        return;
    QPalette palette = field->palette();
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::Text, colour);
    field->setPalette(palette);
}

void LMAppThemeHelper::setTitleColorForTextField(QWidget *field)
{
    setTextColorName(QStringLiteral("title_color"), ColorHelpers::colorWithHex(0x515151), field);
}

void LMAppThemeHelper::setDivideLineColorFor(QWidget *view)
{
    fillBackground(view, g_dark ? ColorHelpers::colorWithHex(0xFFFFFF, 0.05) : ColorHelpers::colorWithHex(0xEDEDED));
}

void LMAppThemeHelper::setLayerBackgroundWithMainBgColorFor(QWidget *view)
{
    fillBackground(view, g_dark ? ColorHelpers::colorWithHex(0x242633) : QColor(Qt::white));
}
